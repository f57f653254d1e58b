// The register's commands in the window: Save Visit (Ctrl+S), Clients and
// Visits… (Ctrl+O) and Register…, as actions named saveVisitAction,
// openRegisterAction and registerSettingsAction. Their code, with the
// database and chart libraries it needs, is loaded when one is first used:
// a session that never uses the register neither loads nor opens anything.
#pragma once

#include "visits/Visit.h"

#include <QString>

#include <functional>

class QWidget;

namespace nutrovo::ui {

// What the register needs of the window.
struct ConsultationAccess {
    std::function<visits::Visit()> shown;
    // Shows a saved visit: its name, picks and note.
    std::function<void(const visits::Visit &visit)> pick;
    std::function<void()> askForClientName;
    // Asks before a note typed since the last save is replaced; false: keep it.
    std::function<bool()> mayReplaceNote;
    // The visit is in the register now, its note with it.
    std::function<void(const visits::Visit &saved)> saved;
};

void addRegisterCommands(QWidget &window, ConsultationAccess access);

} // namespace nutrovo::ui
