#!/usr/bin/env bash
# The program as a dietitian gets it: builds the Debian package, validates its
# desktop entry and AppStream metadata, has apt resolve its dependencies from
# Debian's archive (a simulated install against this machine's packages),
# installs it with dpkg into a private root, starts the program installed there
# on a virtual X server and natively under a headless Wayland compositor until
# its window shows a painted frame, and purges it again. The machine's own package state is never touched, so the stage runs
# the same whether or not nutrovo is installed here; it checks that the
# installed packages are the same before and after.
set -euo pipefail
source "$(dirname "$0")/../common.sh"

APP_ID=org.nutrovo.MealPlanner
WINDOW_TITLE="Nutrovo - Meal Planner"
# The README's package build folder, configured as its Install section does.
PACKAGE_CONFIG_DIR="$NUTROVO_ROOT/build-package"
# The program is compiled once, by the main build that scripts/test.sh has just
# made (the same sources, flags and install rules; the tests add no install
# rule, which the file list check below holds to); the package is made from it.
BUILD_DIR="${NUTROVO_BUILD_DIR:-$NUTROVO_ROOT/build}"
DEB_DIR="$PACKAGE_CONFIG_DIR/deb"
# Everything the package puts on the machine, relative to /.
SHIPPED_FILES=(
    usr/bin/nutrovo
    usr/lib/nutrovo/libnutrovo-register.so
    "usr/share/applications/$APP_ID.desktop"
    "usr/share/icons/hicolor/48x48/apps/$APP_ID.png"
    "usr/share/icons/hicolor/scalable/apps/$APP_ID.svg"
    "usr/share/metainfo/$APP_ID.metainfo.xml"
)
# A window that was mapped but never painted is one flat colour; the form has
# text, pictures and anti-aliased edges in hundreds.
MIN_PAINTED_COLOURS=16
WINDOW_WAIT_SECONDS=30
# The compositor's socket, in a runtime folder of the stage's own.
WAYLAND_SOCKET=nutrovo-package-check

WORK=$(mktemp -d)
export DEBIAN_FRONTEND=noninteractive
# One collation for sort, comm and diff of package lists.
export LC_ALL=C
passed=0
xvfb_pid=""
weston_pid=""
app_pid=""

ok() {
    passed=$((passed + 1))
    echo "ok   $*"
}

fail() {
    echo "FAIL $*" >&2
    echo "package: $passed passed, 1 failed" >&2
    exit 1
}

stage_packages() {
    grep -v '^\s*#' "$NUTROVO_ROOT/scripts/test.d/package.packages" | tr -s ' \t' '\n' | grep -v '^$'
}

installed_packages() {
    dpkg-query -W -f='${db:Status-Status} ${Package}:${Architecture} ${Version}\n' |
        awk '$1 == "installed" { print $2, $3 }' | sort
}

# The value of KEY in a CMake cache entry "KEY:TYPE=value".
cache_value() {
    sed -n "s/^$1:[A-Z]*=//p" "$BUILD_DIR/CMakeCache.txt"
}

stop_process() {
    local pid=$1
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

cleanup() {
    stop_process "$app_pid"
    stop_process "$xvfb_pid"
    stop_process "$weston_pid"
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

build_package() {
    cmake -S "$NUTROVO_ROOT" -B "$PACKAGE_CONFIG_DIR" -DBUILD_TESTING=OFF >"$WORK/configure.log" 2>&1 || {
        cat "$WORK/configure.log" >&2
        fail "configure $PACKAGE_CONFIG_DIR with -DBUILD_TESTING=OFF, as the README's Install section does"
    }
    build_into "$BUILD_DIR" >"$WORK/build.log" 2>&1 || {
        cat "$WORK/build.log" >&2
        fail "build into $BUILD_DIR"
    }
    rm -rf "$DEB_DIR"
    cpack -G DEB --config "$BUILD_DIR/CPackConfig.cmake" -B "$DEB_DIR" >"$WORK/cpack.log" 2>&1 || {
        cat "$WORK/cpack.log" >&2
        fail "cpack -G DEB"
    }
    DEB=$(find "$DEB_DIR" -maxdepth 1 -name 'nutrovo_*.deb')
    [ -n "$DEB" ] && [ "$(wc -l <<<"$DEB")" -eq 1 ] || fail "exactly one nutrovo_*.deb in $DEB_DIR"
    ok "built $(basename "$DEB")"
}

# Each line of the first file list is a path; both must hold the same paths.
same_file_list() {
    diff <(printf '%s\n' "${SHIPPED_FILES[@]}" | sort) <(sort "$1")
}

check_install_tree() {
    local root="$WORK/root"
    DESTDIR="$root" cmake --install "$BUILD_DIR" --prefix /usr >"$WORK/install.log" 2>&1 || {
        cat "$WORK/install.log" >&2
        fail "cmake --install into a staging folder"
    }
    (cd "$root" && find . -type f | sed 's|^\./||') >"$WORK/staged.txt"
    same_file_list "$WORK/staged.txt" || fail "cmake --install puts exactly the freedesktop files under the prefix"
    ok "cmake --install puts the program, desktop entry, icons and metadata under the prefix"

    desktop-file-validate "$root/usr/share/applications/$APP_ID.desktop" || fail "desktop-file-validate"
    ok "desktop-file-validate"
    appstreamcli validate --no-net "$root/usr/share/metainfo/$APP_ID.metainfo.xml" >"$WORK/appstream.log" 2>&1 || {
        cat "$WORK/appstream.log" >&2
        fail "appstreamcli validate --no-net"
    }
    ok "appstreamcli validate --no-net"

    file -b "$root/usr/share/icons/hicolor/48x48/apps/$APP_ID.png" | grep -q '^PNG image data, 48 x 48,' ||
        fail "the hicolor 48x48 icon is a 48 x 48 PNG"
    file -b "$root/usr/share/icons/hicolor/scalable/apps/$APP_ID.svg" | grep -q 'SVG' ||
        fail "the hicolor scalable icon is an SVG"
    ok "icons: 48 x 48 PNG and scalable SVG"

    check_identity "$root"
}

# Name, version and summary are set once in CMake; the entry, the metadata and
# the package must all carry them, and must agree on the application id.
check_identity() {
    local root=$1 version summary desktop metainfo
    version=$(cache_value CMAKE_PROJECT_VERSION)
    summary=$(cache_value CMAKE_PROJECT_DESCRIPTION)
    desktop="$root/usr/share/applications/$APP_ID.desktop"
    metainfo="$root/usr/share/metainfo/$APP_ID.metainfo.xml"
    [ -n "$version" ] && [ -n "$summary" ] || fail "project version and description in the CMake cache"

    grep -qxF "Comment=$summary" "$desktop" || fail "desktop entry Comment is the project description"
    grep -qxF "Icon=$APP_ID" "$desktop" || fail "desktop entry Icon is $APP_ID"
    grep -qxF "Exec=nutrovo" "$desktop" || fail "desktop entry starts nutrovo"
    grep -qF "<id>$APP_ID</id>" "$metainfo" || fail "metadata id is $APP_ID"
    grep -qF "<launchable type=\"desktop-id\">$APP_ID.desktop</launchable>" "$metainfo" ||
        fail "metadata launches $APP_ID.desktop"
    grep -qF "<summary>$summary</summary>" "$metainfo" || fail "metadata summary is the project description"
    grep -qF "<release version=\"$version\"" "$metainfo" || fail "metadata release is $version"
    grep -qE '<image[^>]*>https://[^<]+/docs/screenshot\.png</image>' "$metainfo" ||
        fail "metadata references docs/screenshot.png by URL"

    [ "$(dpkg-deb -f "$DEB" Package)" = nutrovo ] || fail "package name is nutrovo"
    [ "$(dpkg-deb -f "$DEB" Version)" = "$version" ] || fail "package version is $version"
    [ "$(dpkg-deb -f "$DEB" Description | head -n 1)" = "$summary" ] ||
        fail "package summary is the project description"
    ok "name, version $version and description agree in entry, metadata and package"

    dpkg-deb -c "$DEB" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' >"$WORK/packaged.txt"
    same_file_list "$WORK/packaged.txt" || fail "the package holds the files cmake --install puts under the prefix"
    dpkg-deb -f "$DEB" Depends | grep -q 'libqt6widgets6' ||
        fail "Depends names the Qt libraries the program links (dpkg-shlibdeps)"
    [ "$(dpkg-deb -f "$DEB" Recommends)" = "qt6-wayland, libqt6sql6-psql" ] ||
        fail "Recommends names qt6-wayland and libqt6sql6-psql"
    ok "package holds the installed files; Depends comes from the linked libraries; Recommends qt6-wayland and libqt6sql6-psql"
}

# Whatever Depends names must come from Debian's archive: apt works out, without
# changing anything, what installing the package here would take. The lists
# are fetched first if none are present (a machine set up from a cleaned image).
resolve_dependencies() {
    installed_packages >"$WORK/before.txt"
    if [ -z "$(find /var/lib/apt/lists -maxdepth 1 -name '*_Packages' -print -quit 2>/dev/null)" ]; then
        apt-get update -qq >"$WORK/update.log" 2>&1 || { cat "$WORK/update.log" >&2; fail "apt-get update"; }
    fi
    apt-get install --simulate --no-install-recommends "$DEB" >"$WORK/simulate.log" 2>&1 || {
        cat "$WORK/simulate.log" >&2
        fail "apt-get install --simulate $DEB: its dependencies resolve"
    }
    local name missing=()
    while read -r name; do
        [ -n "$(apt-cache madison "$name" 2>/dev/null)" ] || missing+=("$name")
    done < <(dpkg-deb -f "$DEB" Depends | tr ',' '\n' | sed -E 's/\|.*//; s/\(.*\)//; s/[[:space:]]//g' | grep -v '^$')
    [ ${#missing[@]} -eq 0 ] || fail "every dependency is in Debian's archive (not found: ${missing[*]})"
    local would
    would=$(awk '$1 == "Inst" { print $2 }' "$WORK/simulate.log" | grep -vx nutrovo | paste -sd " " || true)
    ok "apt resolves every dependency from Debian's archive (would pull in: ${would:-nothing})"
}

# dpkg installs the package into a root of its own, with its own database.
install_package() {
    INSTALL_ROOT="$WORK/installed"
    mkdir -p "$INSTALL_ROOT/var/lib/dpkg/info" "$INSTALL_ROOT/var/lib/dpkg/updates" "$INSTALL_ROOT/var/log"
    : >"$INSTALL_ROOT/var/lib/dpkg/status"
    # Its dependencies live on the machine, not in this root: apt checked them above.
    dpkg --root="$INSTALL_ROOT" --force-depends --force-script-chrootless --install "$DEB" \
        >"$WORK/dpkg.log" 2>&1 || {
        cat "$WORK/dpkg.log" >&2
        fail "dpkg --install $DEB"
    }
    local path
    for path in "${SHIPPED_FILES[@]}"; do
        [ -f "$INSTALL_ROOT/$path" ] || fail "/$path installed"
    done
    [ "$(dpkg --root="$INSTALL_ROOT" -s nutrovo | sed -n 's/^Status: //p')" = "install ok installed" ] ||
        fail "dpkg records nutrovo as installed"
    ok "dpkg --install ./$(basename "$DEB") puts every file where the desktop looks for it"
}

start_virtual_display() {
    # -noreset: the window checks connect and leave; a reset between them refuses the next.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$WORK/display" 2>"$WORK/xvfb.log" &
    xvfb_pid=$!
    local tries=0
    until [ -s "$WORK/display" ]; do
        kill -0 "$xvfb_pid" 2>/dev/null || { cat "$WORK/xvfb.log" >&2; fail "Xvfb starts"; }
        tries=$((tries + 1))
        [ "$tries" -le 100 ] || fail "Xvfb reports its display within 10 s"
        sleep 0.1
    done
    DISPLAY_NAME=":$(head -n 1 "$WORK/display")"
}

# Number of distinct colours in the window's current contents, 0 if unreadable.
window_colours() {
    import -display "$DISPLAY_NAME" -window "$1" "$WORK/frame.png" 2>/dev/null &&
        identify -format '%k' "$WORK/frame.png" 2>/dev/null || echo 0
}

# Starts the installed program from a neutral folder with a clean environment
# and waits until its viewable window holds a painted frame.
check_first_frame() {
    start_virtual_display
    mkdir -p "$WORK/home" "$WORK/runtime"
    chmod 700 "$WORK/runtime"
    (cd "$WORK/home" && exec env -i HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/runtime" \
        PATH=/usr/bin:/bin LC_ALL=C.UTF-8 DISPLAY="$DISPLAY_NAME" QT_QPA_PLATFORM=xcb \
        XDG_DATA_DIRS="$INSTALL_ROOT/usr/share:/usr/share" \
        "$INSTALL_ROOT/usr/bin/nutrovo") 2>"$WORK/app.log" &
    app_pid=$!

    local deadline=$((SECONDS + WINDOW_WAIT_SECONDS)) window="" colours=0
    while [ "$SECONDS" -lt "$deadline" ]; do
        kill -0 "$app_pid" 2>/dev/null || { cat "$WORK/app.log" >&2; fail "installed nutrovo keeps running"; }
        if xwininfo -display "$DISPLAY_NAME" -name "$WINDOW_TITLE" >"$WORK/xwininfo.txt" 2>/dev/null &&
            grep -q 'Map State: IsViewable' "$WORK/xwininfo.txt"; then
            window=$(awk '/Window id:/ { print $4; exit }' "$WORK/xwininfo.txt")
            colours=$(window_colours "$window")
            [ "$colours" -ge "$MIN_PAINTED_COLOURS" ] && break
        fi
        sleep 0.2
    done
    [ -n "$window" ] || fail "window \"$WINDOW_TITLE\" is viewable within $WINDOW_WAIT_SECONDS s"
    [ "$colours" -ge "$MIN_PAINTED_COLOURS" ] ||
        fail "window shows a painted frame within $WINDOW_WAIT_SECONDS s ($colours colours)"
    cp "$WORK/frame.png" "$PACKAGE_CONFIG_DIR/first-frame.png"
    ok "installed usr/bin/nutrovo shows \"$WINDOW_TITLE\" with a painted frame ($colours colours)"
    echo "     the frame is kept in $PACKAGE_CONFIG_DIR/first-frame.png"
    check_register_loads "$window"
    if [ -s "$WORK/app.log" ]; then
        echo "     its messages:" && sed 's/^/     | /' "$WORK/app.log"
    fi
    stop_process "$app_pid" && app_pid=""
    stop_process "$xvfb_pid" && xvfb_pid=""
}

# The register's library is found beside the installed program and loads on
# the first register command: Ctrl+O shows Clients and Visits.
check_register_loads() {
    local deadline=$((SECONDS + WINDOW_WAIT_SECONDS))
    DISPLAY=$DISPLAY_NAME xdotool windowfocus --sync "$1" key ctrl+o
    until xwininfo -display "$DISPLAY_NAME" -name "Clients and Visits" 2>/dev/null | grep -q 'IsViewable'; do
        kill -0 "$app_pid" 2>/dev/null || { cat "$WORK/app.log" >&2; fail "installed nutrovo keeps running"; }
        [ "$SECONDS" -lt "$deadline" ] || fail "Ctrl+O shows \"Clients and Visits\" within $WINDOW_WAIT_SECONDS s"
        sleep 0.2
    done
    ok "Ctrl+O shows \"Clients and Visits\": the register's library loads from usr/lib/nutrovo"
}

# Weston with its headless backend, drawing in software so that its
# screenshots hold what the clients painted, on a black desktop without a
# panel; --debug opens its screenshot protocol.
start_compositor() {
    mkdir -m 700 "$WORK/wayland"
    printf '[shell]\nbackground-color=0xff000000\npanel-position=none\n' >"$WORK/weston.ini"
    XDG_RUNTIME_DIR="$WORK/wayland" weston --backend=headless-backend.so --use-pixman --debug \
        --config="$WORK/weston.ini" --socket="$WAYLAND_SOCKET" --width=1280 --height=1024 \
        --idle-time=0 >"$WORK/weston.log" 2>&1 &
    weston_pid=$!
    local tries=0
    until [ "$(screen_colours)" -gt 0 ]; do
        kill -0 "$weston_pid" 2>/dev/null || { cat "$WORK/weston.log" >&2; fail "weston starts"; }
        tries=$((tries + 1))
        [ "$tries" -le 100 ] || { cat "$WORK/weston.log" >&2; fail "weston takes a screenshot within 20 s"; }
        sleep 0.2
    done
    [ "$(screen_colours)" -eq 1 ] || fail "the compositor's empty desktop is one colour"
}

# Number of distinct colours on the compositor's screen, 0 if unreadable.
screen_colours() {
    rm -rf "$WORK/shot" && mkdir "$WORK/shot"
    (cd "$WORK/shot" && XDG_RUNTIME_DIR="$WORK/wayland" WAYLAND_DISPLAY="$WAYLAND_SOCKET" \
        timeout 10 weston-screenshooter) >/dev/null 2>&1 &&
        identify -format '%k' "$WORK"/shot/wayland-screenshot-*.png 2>/dev/null || echo 0
}

# Starts the installed program as a native Wayland client (no X server to fall
# back on) and waits until the compositor shows what it painted. Any warning
# of the toolkit fails the check.
check_first_frame_on_wayland() {
    start_compositor
    mkdir -p "$WORK/home"
    (cd "$WORK/home" && exec env -i HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/wayland" \
        WAYLAND_DISPLAY="$WAYLAND_SOCKET" PATH=/usr/bin:/bin LC_ALL=C.UTF-8 QT_QPA_PLATFORM=wayland \
        XDG_DATA_DIRS="$INSTALL_ROOT/usr/share:/usr/share" \
        "$INSTALL_ROOT/usr/bin/nutrovo") >"$WORK/wayland-app.log" 2>&1 &
    app_pid=$!

    local deadline=$((SECONDS + WINDOW_WAIT_SECONDS)) colours=0
    while [ "$SECONDS" -lt "$deadline" ]; do
        kill -0 "$app_pid" 2>/dev/null || { cat "$WORK/wayland-app.log" >&2; fail "installed nutrovo keeps running on Wayland"; }
        colours=$(screen_colours)
        [ "$colours" -ge "$MIN_PAINTED_COLOURS" ] && break
        sleep 0.2
    done
    [ "$colours" -ge "$MIN_PAINTED_COLOURS" ] ||
        fail "the window shows a painted frame on Wayland within $WINDOW_WAIT_SECONDS s ($colours colours)"
    cp "$WORK"/shot/wayland-screenshot-*.png "$PACKAGE_CONFIG_DIR/first-frame-wayland.png"
    stop_process "$app_pid" && app_pid=""
    if grep -n '^qt\.' "$WORK/wayland-app.log" >"$WORK/warnings.txt"; then
        sed 's/^/     | /' "$WORK/warnings.txt" >&2
        fail "the toolkit warns nothing on Wayland"
    fi
    ok "installed usr/bin/nutrovo paints its window natively on Wayland (weston, $colours colours), no toolkit warning"
    echo "     the frame is kept in $PACKAGE_CONFIG_DIR/first-frame-wayland.png"
    if [ -s "$WORK/wayland-app.log" ]; then
        echo "     its messages:" && sed 's/^/     | /' "$WORK/wayland-app.log"
    fi
    stop_process "$weston_pid" && weston_pid=""
}

check_removed() {
    dpkg --root="$INSTALL_ROOT" --force-script-chrootless --purge nutrovo >"$WORK/purge.log" 2>&1 || {
        cat "$WORK/purge.log" >&2
        fail "dpkg --purge nutrovo"
    }
    local path
    for path in "${SHIPPED_FILES[@]}"; do
        [ ! -e "$INSTALL_ROOT/$path" ] || fail "/$path removed"
    done
    diff "$WORK/before.txt" <(installed_packages) >"$WORK/changed.txt" || {
        cat "$WORK/changed.txt" >&2
        fail "the machine's installed packages are the same as before the stage"
    }
    ok "dpkg --purge nutrovo removes every file; the machine's packages are as they were"
}

report_package() {
    local bytes
    bytes=$(stat -c %s "$DEB")
    echo "     package: $DEB"
    echo "     size: $bytes bytes ($((bytes / 1024)) KiB), installed $(dpkg-deb -f "$DEB" Installed-Size) KiB"
    echo "     Depends: $(dpkg-deb -f "$DEB" Depends)"
}

mapfile -t own_packages < <(stage_packages)
ensure_packages "${BUILD_PACKAGES[@]}" "${own_packages[@]}"
build_package
check_install_tree
report_package
resolve_dependencies
install_package
check_first_frame
check_first_frame_on_wayland
check_removed
echo "package: $passed passed, 0 failed"
