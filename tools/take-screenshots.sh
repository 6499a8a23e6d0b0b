#!/usr/bin/env bash
# Takes the README's screenshots of kalvor2-demo under a real X server (Xvfb):
# the settings page after start-up, the measurement page after a memory read,
# both views of the chart, the archive window after a second read, a full
# memory's chart and a zoom into it, the window with its converter pulled
# out, the settings page in a dark colour scheme, the save dialog, and the
# workbook as LibreOffice Calc prints it.
# Needs xvfb, xdotool, imagemagick, qt6ct, poppler-utils and LibreOffice Calc
# (Debian packages). Takes about three minutes: the full memory is read at
# the wire's pace.
#   tools/take-screenshots.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
build=${1:-build}
out=${2:-docs}
mkdir -p "$out"
display=:97
Xvfb $display -screen 0 1024x640x24 -nolisten tcp &
xvfb=$!
app=
trap 'kill $app $xvfb 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=$display
# The README shows the German window; the build's programs follow the
# desktop's language, and a C locale keeps them German on any machine.
export LC_ALL=C.UTF-8
unset LANGUAGE
shot() { import -window root -crop 929x550+0+0 "$out/$1"; }
# The reads go into an archive of their own, not the user's.
archive=$(mktemp -d)
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$archive"' EXIT

"$build/app/kalvor2-demo" --records 400 --archive "$archive/archive.sqlite" &
app=$!
# Splash (1.2 s), then the configuration answer from the device.
sleep 5
shot settings.png
# "Messwerte" tab, then "Speicher lesen" on it.
xdotool mousemove 500 264 click 1
sleep 1
xdotool mousemove 765 356 click 1
# The demo device's memory streams in at the wire rate (about 4 s).
sleep 7
shot measurements.png
# "Diagramm" tab, then its second view.
xdotool mousemove 715 264 click 1
sleep 1
xdotool mousemove 400 520
sleep 1
shot chart-trend.png
xdotool mousemove 800 337 click 1
sleep 1
xdotool mousemove 400 520
sleep 1
shot chart-scatter.png
kill $app

# Again: a second read, then "Archiv…" lists both.
"$build/app/kalvor2-demo" --records 150 --archive "$archive/archive.sqlite" &
app=$!
sleep 5
xdotool mousemove 500 264 click 1
sleep 1
xdotool mousemove 765 356 click 1
sleep 5
xdotool mousemove 765 475 click 1
sleep 2
shot archive.png
kill $app

# A full memory, 10,000 measurements (about 100 s at the wire's pace), on the
# chart; then the wheel zooms in on the pointer, to a few hundred of them.
"$build/app/kalvor2-demo" --archive "$archive/archive.sqlite" --records 10000 &
app=$!
sleep 5
xdotool mousemove 500 264 click 1
sleep 1
xdotool mousemove 765 356 click 1
sleep 115
xdotool mousemove 715 264 click 1
sleep 1
xdotool mousemove 400 545
sleep 1
shot chart-full.png
xdotool mousemove 380 420
for _ in $(seq 20); do
    xdotool click 4
    sleep 0.1
done
xdotool mousemove 400 545
sleep 1
shot chart-zoomed.png
kill $app

"$build/app/kalvor2-demo" --archive "$archive/archive.sqlite" --unplug-at 4 &
app=$!
sleep 6
shot unplugged.png
kill $app

# A dark colour scheme: qt6ct's "darker".
config=$(mktemp -d)
mkdir -p "$config/qt6ct"
cat >"$config/qt6ct/qt6ct.conf" <<'CONF'
[Appearance]
color_scheme_path=/usr/share/qt6ct/colors/darker.conf
custom_palette=true
style=Fusion
CONF
XDG_CONFIG_HOME=$config QT_QPA_PLATFORMTHEME=qt6ct "$build/app/kalvor2-demo" --archive "$archive/archive.sqlite" &
app=$!
sleep 5
shot settings-dark.png
kill $app
rm -r "$config"

# The save dialog: "Messwerte", then "Export".
"$build/app/kalvor2-demo" --archive "$archive/archive.sqlite" &
app=$!
sleep 4
xdotool mousemove 500 264 click 1
sleep 1
xdotool mousemove 765 394 click 1
sleep 2
import -window root "$out/save-dialog.png"

# The workbook as LibreOffice Calc prints it: its first sheet and its chart.
work=$(mktemp -d)
env -u DISPLAY HOME="$work" "$build/cli/kalvor2-cli" --simulate --records 150 \
    --archive "$work/archive.sqlite" read --out "$work/messwerte.xlsx" 2>/dev/null
(cd "$work" && HOME="$work" soffice --headless --convert-to pdf messwerte.xlsx >/dev/null 2>&1)
pdftoppm -r 90 -png -f 1 -l 1 "$work/messwerte.pdf" "$work/sheet"
pdftoppm -r 80 -png -f 5 -l 5 "$work/messwerte.pdf" "$work/chart"
convert "$work"/sheet*.png -crop 765x420+0+40 +repage "$out/workbook-sheet.png"
convert "$work"/chart*.png -trim +repage "$out/workbook-chart.png"
rm -rf "$work"
