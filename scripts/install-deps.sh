#!/usr/bin/env bash
# Installs what building, testing and running the Kalvor II tool needs on
# Debian 12. Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-serialport-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
    qt6-svg-dev libqcustomplot-dev libqcustomplot2.1-qt6 qt6-translations-l10n
    libqt6sql6-sqlite
    libgl-dev fonts-dejavu-core clang-format
    libxlsxwriter-dev
    # The workbook test opens the workbooks in LibreOffice Calc, headless.
    libreoffice-calc-nogui
)
# Extras for the full check: the sanitizer build and the fuzzer (clang),
# a real X server and a colour scheme (qt6ct) for screenshots, the Debian
# package and udev to read its device rule back.
if [ "${1:-}" = "--all" ]; then
    packages+=(clang libclang-rt-14-dev xvfb xauth x11-apps xdotool imagemagick qt6ct poppler-utils
               desktop-file-utils appstream dpkg-dev debhelper lintian fakeroot udev)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
