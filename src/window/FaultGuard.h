// The one place where a fault inside a handler is caught. A tripped
// arithmetic check, or a toolkit call that fails, abandons the handler; the
// user is told and the program ends, so that no wrong figure stays on screen.
#pragma once

#include <exception>
#include <functional>
#include <string>

class QWidget;

namespace nutrovo::ui {

using FaultReporter = std::function<void(const std::string &what)>;

// Replaces the reporter (tests record instead of ending the process);
// returns the previous one.
FaultReporter setFaultReporter(FaultReporter reporter);

// Shows the run-time error in a message box and ends the program.
void reportFaultAndExit(const std::string &what);

void reportFault(const std::string &what);

// The one message for a print that failed, whatever the cause: modal, OK
// only, no icon, under the application's title. The window stays as it was.
void tellPrintFailed(QWidget *parent);

template <typename Handler> void runGuarded(Handler &&handler) noexcept
{
    try {
        handler();
    } catch (const std::exception &e) {
        reportFault(e.what());
    } catch (...) {
        reportFault("Unknown error");
    }
}

} // namespace nutrovo::ui
