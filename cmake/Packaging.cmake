# Installation into a freedesktop prefix (program, desktop entry, themed icons,
# AppStream metadata) and the Debian package built from it with CPack.
#
# The name, version and one-line description come from project(); everything
# below derives from them so the menu, the software centre and the package
# manager always agree.

include(GNUInstallDirs)

# Reverse-DNS id shared by the desktop entry, the icon name and the metadata.
set(NUTROVO_APP_ID "org.nutrovo.MealPlanner")
# The running program names itself by the same id, so that a Wayland desktop
# matches its window to the desktop entry and icon.
target_compile_definitions(nutrovo PRIVATE NUTROVO_APP_ID="${NUTROVO_APP_ID}"
    NUTROVO_VERSION="${PROJECT_VERSION}")
# Menu name: the project name as a person writes it ("nutrovo" -> "Nutrovo").
string(SUBSTRING "${PROJECT_NAME}" 0 1 _nutrovo_initial)
string(SUBSTRING "${PROJECT_NAME}" 1 -1 _nutrovo_rest)
string(TOUPPER "${_nutrovo_initial}" _nutrovo_initial)
set(NUTROVO_DISPLAY_NAME "${_nutrovo_initial}${_nutrovo_rest}")
set(NUTROVO_GENERIC_NAME "Meal Planner")
set(NUTROVO_HOMEPAGE "https://nutrovo.org")
set(NUTROVO_MAINTAINER "Nutrovo developers <developers@nutrovo.org>")
# Date of the release named by PROJECT_VERSION; update both together.
set(NUTROVO_RELEASE_DATE "2026-12-08")
set(NUTROVO_LONG_DESCRIPTION
"A single-window calculator that a dietitian keeps open during a consultation.
After every pick of the client's sex, age, height, weight, activity level and
daily servings in six food groups it shows the body mass index, the maintenance
energy by five methods with loss and gain targets, and the meal pattern in
grams, kcal and kJ.")
# AppStream wants an absolute URL: the site publishes the repository's docs/.
set(NUTROVO_SCREENSHOT_URL "${NUTROVO_HOMEPAGE}/docs/screenshot.png")

# --- Generated files --------------------------------------------------------

set(_nutrovo_pkg_dir "${PROJECT_SOURCE_DIR}/packaging")
set(_nutrovo_gen_dir "${PROJECT_BINARY_DIR}/packaging")

configure_file("${_nutrovo_pkg_dir}/app.desktop.in"
    "${_nutrovo_gen_dir}/${NUTROVO_APP_ID}.desktop" @ONLY)
configure_file("${_nutrovo_pkg_dir}/app.metainfo.xml.in"
    "${_nutrovo_gen_dir}/${NUTROVO_APP_ID}.metainfo.xml" @ONLY)

# The fixed-size icon is drawn from the same SVG as the window icon, at build
# time (by the tool of cmake/Pictures.cmake), so no bitmap is kept in the repository.

set(_nutrovo_icon_svg "${PROJECT_SOURCE_DIR}/resources/nutrovo.svg")
set(_nutrovo_icon_png "${_nutrovo_gen_dir}/${NUTROVO_APP_ID}.png")
add_custom_command(OUTPUT "${_nutrovo_icon_png}"
    COMMAND nutrovo_render_icon "${_nutrovo_icon_svg}" 48 "${_nutrovo_icon_png}"
    DEPENDS nutrovo_render_icon "${_nutrovo_icon_svg}"
    COMMENT "Rendering the 48x48 application icon"
    VERBATIM)
add_custom_target(nutrovo_icon_png ALL DEPENDS "${_nutrovo_icon_png}")

# --- Install rules (freedesktop layout under the prefix) ----------------------

install(TARGETS nutrovo RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
# Private to the program, which finds it from its own folder.
install(TARGETS nutrovo_register LIBRARY DESTINATION "${NUTROVO_REGISTER_INSTALL_DIR}" NAMELINK_SKIP)
install(FILES "${_nutrovo_gen_dir}/${NUTROVO_APP_ID}.desktop"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${_nutrovo_gen_dir}/${NUTROVO_APP_ID}.metainfo.xml"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${_nutrovo_icon_png}"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps")
install(FILES "${_nutrovo_icon_svg}"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
    RENAME "${NUTROVO_APP_ID}.svg")

# --- Debian package -----------------------------------------------------------

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "${PROJECT_NAME}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "${NUTROVO_LONG_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "${NUTROVO_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${NUTROVO_HOMEPAGE}")
# The package carries the program, not the debugging data of the build.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "science")
# Depends is worked out by dpkg-shlibdeps from the libraries the program links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window is laid out at fixed positions for these faces, and libcups is
# opened on the first print; no library links them, so they are named here.
# The register's SQLite driver is a plugin the toolkit loads; a clinic's
# server needs the PostgreSQL one.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-comic-neue, fonts-symbola, libqt6sql6-sqlite")
if(NUTROVO_WITH_CUPS)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libcups2")
endif()
# The toolkit's Wayland plugin, loaded at run time: without it a Wayland
# session (GNOME's default) runs the window through XWayland. A clinic's
# register server is reached through the toolkit's PostgreSQL driver.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, libqt6sql6-psql")
# Control files get the modes Debian policy asks for.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
