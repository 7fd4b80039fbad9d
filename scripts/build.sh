# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Shared by scripts/run and scripts/test, which source it: it only defines
# ROOT, the package lists and the functions below, and leaves the caller's
# shell options alone. Each caller sets its own options and calls
# install_packages and build_dev itself.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# sqlite3 is the baseline of the FoodData Central import benchmark; groff
# lays out the manual pages whose synopses the usage test reads.
PACKAGES=(cmake g++ make qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev sqlite3
          libx11-dev fonts-liberation fontconfig xvfb xauth clang-format shellcheck git
          librsvg2-bin groff-base)

# What the end-to-end tests (tests/e2e/) drive the program with: a display,
# a window manager, input, pictures, OCR, a print queue, a Wayland
# compositor with Xwayland, and a session bus with the accessibility bus,
# read as a screen reader reads it. scripts/test installs them when run as
# root; the tests skip without root.
# shellcheck disable=SC2034 # used by scripts/test
E2E_PACKAGES=(xvfb openbox xdotool x11-utils imagemagick tesseract-ocr tesseract-ocr-eng
              cups printer-driver-cups-pdf poppler-utils weston xwayland qt6-wayland
              dbus-daemon at-spi2-core python3-pyatspi)

# What the sanitizer build, the fuzz targets and the package checks need
# beyond the build; scripts/test installs them when run as root.
# shellcheck disable=SC2034 # used by scripts/test
TEST_PACKAGES=(clang libclang-rt-14-dev dpkg-dev fakeroot file lintian desktop-file-utils
               appstream libxml2-utils)

# install_packages NAME...: installs those not installed yet, as root;
# otherwise prints the apt-get line and fails.
install_packages() {
    local package missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Install them with:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        return 1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update -q &&
        DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q \
            --no-install-recommends "${missing[@]}"
}

# build_dev: installs the build's packages, then configures with the dev
# preset (warnings are errors) and builds into build/ with two jobs.
build_dev() {
    install_packages "${PACKAGES[@]}" &&
        (cd "$ROOT" && cmake --preset dev) &&
        cmake --build "$ROOT/build" -j2
}
