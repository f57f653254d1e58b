// The note the dietitian writes during a visit, apart from the editor that
// shows it: its text, and the text last saved with the visit (or opened from
// the register), so that the window knows when closing or replacing it
// would lose something typed.
#pragma once

#include <string>

namespace nutrovo::visits {

class VisitNote {
public:
    const std::string &text() const { return text_; }

    // The text as typed; false, and nothing changed, when it is longer than
    // a visit keeps.
    bool edit(std::string text);
    // A note that is in the register as it is: opened with a visit, or none
    // after a reset.
    void replace(std::string text);
    // The visit holding `saved` is in the register now.
    void markSaved(const std::string &saved);

    // Something typed that no saved visit holds.
    bool unsaved() const { return !text_.empty() && text_ != saved_; }

private:
    std::string text_;
    std::string saved_;
};

} // namespace nutrovo::visits
