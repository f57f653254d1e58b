#include "window/ApplicationFonts.h"

#include "window/Fonts.h"
#include "window/WindowLayout.h"

#include <QApplication>

#include <system_error>

#if __has_include(<dlfcn.h>)
#include <dlfcn.h>
#define NUTROVO_HAS_DLFCN 1
#endif

namespace nutrovo::ui {

namespace {

// The toolkit's own copy of fontconfig, loaded with it: where the toolkit
// reads fonts some other way there is nothing to read ahead.
void readFontConfiguration()
{
#ifdef NUTROVO_HAS_DLFCN
    void *library = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_NOLOAD);
    if (library == nullptr)
        return;
    using InitFunction = int (*)();
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): dlsym returns an address
    if (const auto init = reinterpret_cast<InitFunction>(dlsym(library, "FcInit")))
        init();
    dlclose(library);
#endif
}

} // namespace

ApplicationFonts::ApplicationFonts()
{
    try {
        reader_ = std::thread(readFontConfiguration);
    } catch (const std::system_error &) {
        readFontConfiguration(); // no thread to spare: in line, as it would be anyway
    }
}

ApplicationFonts::~ApplicationFonts() { wait(); }

void ApplicationFonts::wait()
{
    if (reader_.joinable())
        reader_.join();
}

void ApplicationFonts::apply()
{
    wait();
    // Every text field lays its text out once in the application's font
    // before it takes its own; in the window's face that costs no face the
    // window never shows. Menus and messages then read in that face too.
    QApplication::setFont(layoutFont(layout::Font{}));
}

} // namespace nutrovo::ui
