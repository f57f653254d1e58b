// The program's fonts, made ready before its window.
//
// Reading the system's font configuration is the largest single cost before
// the first frame, and nothing needs it until the first text is laid out:
// begun before the application object, it runs beside the connection to the
// display instead of after it.
#pragma once

#include <thread>

namespace nutrovo::ui {

class ApplicationFonts {
public:
    // Begins reading the font configuration; make this before the
    // application object.
    ApplicationFonts();
    ~ApplicationFonts();
    ApplicationFonts(const ApplicationFonts &) = delete;
    ApplicationFonts &operator=(const ApplicationFonts &) = delete;
    ApplicationFonts(ApplicationFonts &&) = delete;
    ApplicationFonts &operator=(ApplicationFonts &&) = delete;

    // Once the application object exists and before the window is made:
    // waits for the configuration (text laid out meanwhile would read it a
    // second time) and makes the window's own face the application's font.
    void apply();

private:
    void wait();

    std::thread reader_;
};

} // namespace nutrovo::ui
