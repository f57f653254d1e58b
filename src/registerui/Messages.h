// The register's messages: modal, under the window's title, as the window's
// own print message is.
#pragma once

#include <QString>

class QWidget;

namespace nutrovo::registerui {

// One message, OK only.
void tell(QWidget *over, const QString &text);

// Asks before a change that can't be undone; true when the user agrees.
bool confirm(QWidget *over, const QString &question);

// A short note near `near` that goes by itself: nothing to answer.
void notify(QWidget &near, const QString &text);

} // namespace nutrovo::registerui
