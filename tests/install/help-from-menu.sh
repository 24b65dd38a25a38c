#!/usr/bin/env bash
# Installs the build into a temporary prefix, starts the window there through its link in bin/
# on a virtual X display, chooses Help > Help, and checks that the file handed to the desktop
# is the help file installed beside the executable; then that a second start leaves the window
# to the first.
# Arguments: cmake, the build folder, a scratch folder, the bin and app folders of the layout.
set -euo pipefail
cmake=$1 build=$2 work=$3 bindir=$4 appdir=$5

rm -rf "$work"
mkdir -p "$work/stubs" "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
DESTDIR= "$cmake" --install "$build" --prefix "$work/prefix" >/dev/null

# Qt hands a file to xdg-open when it knows no desktop; this one notes what it was given.
opened=$work/opened
cat >"$work/stubs/xdg-open" <<STUB
#!/bin/sh
printf '%s\n' "\$*" >>"$opened"
STUB
chmod +x "$work/stubs/xdg-open"
# And names a viewer for the help file, as a desktop with xchm installed does.
printf '#!/bin/sh\necho xchm.desktop\n' >"$work/stubs/xdg-mime"
chmod +x "$work/stubs/xdg-mime"

pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start:"; cat "$work/xvfb.log"; exit 1; }

export DISPLAY=:$(cat "$work/display")
export PATH=$work/stubs:$PATH XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
export QT_QPA_PLATFORM=xcb
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
"$work/prefix/$bindir/tessaro" >"$work/app.log" 2>&1 &
pids+=($!)
first=$!

window=$(timeout 30 xdotool search --sync --onlyvisible --name ' — Zovi Tessaro ') || {
    echo "the window did not appear:"; cat "$work/app.log"; exit 1; }
window=${window%%$'\n'*}

# Alt+H opens the Help menu, H its Help command; the menu may need a moment to open.
for _ in 1 2 3 4 5; do
    xdotool windowfocus --sync "$window" key Escape key alt+h sleep 0.5 key h
    for _ in $(seq 30); do
        [ -s "$opened" ] && break 2
        sleep 0.1
    done
done
[ -s "$opened" ] || { echo "Help handed nothing to the desktop:"; cat "$work/app.log"; exit 1; }

url=$(head -n 1 "$opened")
path=${url#file://}
path=$(printf '%b' "${path//%/\\x}")
expected=$(realpath "$work/prefix/$appdir/tessaro.chm")
if [ "$url" = "$path" ] || [ "$path" != "$expected" ]; then
    echo "Help opened $url, not $expected"
    exit 1
fi
[ -f "$path" ] || { echo "Help opened $path, which is not there"; exit 1; }
echo "Help opened $path"

# A second start hands itself to the window already running and ends; that window stays.
timeout 20 "$work/prefix/$bindir/tessaro" >"$work/second.log" 2>&1 || {
    echo "a second start did not end at once with 0:"; cat "$work/second.log"; exit 1; }
kill -0 "$first" 2>/dev/null || { echo "the first window ended:"; cat "$work/app.log"; exit 1; }
echo "a second start handed itself to the first"
