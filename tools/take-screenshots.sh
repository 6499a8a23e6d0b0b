#!/usr/bin/env bash
# Takes the README's screenshots of kalvor2-demo under a real X server (Xvfb):
# the settings page after start-up and the measurement page after a memory
# read. Needs xvfb, xdotool and imagemagick (Debian packages).
#   tools/take-screenshots.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
build=${1:-build}
out=${2:-docs}
mkdir -p "$out"
display=:97
Xvfb $display -screen 0 1024x640x24 -nolisten tcp &
xvfb=$!
trap 'kill $app $xvfb 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=$display
"$build/app/kalvor2-demo" &
app=$!
# Splash (1.2 s), then the configuration answer from the device.
sleep 5
import -window root -crop 929x550+0+0 "$out/settings.png"
# "Messwerte" tab, then "Speicher lesen" on it.
xdotool mousemove 500 264 click 1
sleep 1
xdotool mousemove 765 356 click 1
# The demo device's memory streams in at the wire rate (about 1.5 s).
sleep 4
import -window root -crop 929x550+0+0 "$out/measurements.png"
