// What the window and the register's own code (a library the window loads
// on first use, so that a session that never uses the register never loads
// the database and chart libraries) ask of each other.
#pragma once

#include "visits/Visit.h"

#include <QString>

class QWidget;

namespace nutrovo::registerui {

// The consultation window, as the register uses it.
class Consultation {
public:
    virtual ~Consultation() = default;
    virtual QWidget &window() = 0;
    // The consultation as shown: the name as typed, every pick, every
    // display field's text, the note and the dietitian named.
    virtual visits::Visit shown() const = 0;
    // Types the name, and picks the rows and buttons through their
    // handlers, as the dietitian would, after a reset; the note with them.
    virtual void pick(const visits::Visit &visit) = 0;
    // Puts the focus in the client's name field.
    virtual void askForClientName() = 0;
    // Asks before a note typed since the last save is replaced; false: keep it.
    virtual bool mayReplaceNote() = 0;
    // The visit is in the register now, its note with it.
    virtual void saved(const visits::Visit &visit) = 0;
};

// The register's commands, each telling the user what came of it.
class RegisterCommands {
public:
    virtual ~RegisterCommands() = default;
    virtual void saveVisit() = 0;
    virtual void openRegister() = 0;
    virtual void chooseRegister() = 0;
};

// The one function the library exports: the commands for a window.
using MakeRegisterCommands = RegisterCommands *(*)(Consultation &consultation);
inline constexpr char makeRegisterCommandsName[] = "nutrovo_make_register_commands";

} // namespace nutrovo::registerui
