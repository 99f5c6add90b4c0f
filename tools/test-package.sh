#!/bin/sh
# Makes the Debian package, checks it with lintian (no error, no warning), installs it, runs the
# installed program as an unprivileged user on a display of its own (start, show an entry, save a
# setting, start again and find the setting in force) and removes the package again, leaving
# nothing behind. Needs root or sudo.
set -e
cd "$(dirname "$0")/.."
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
sh tools/package.sh > /dev/null 2>&1 || sh tools/package.sh
deb=$(ls "$PWD"/build/package/quillmate_*.deb)
if ! report=$(lintian --fail-on error,warning "$deb" 2>&1); then
    echo "$report"
    echo "lintian finds fault with $deb"
    exit 1
fi
echo "lintian: no error, no warning."

home=$(mktemp -d /tmp/quillmate-user-XXXXXX)
display=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2> /dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2> /dev/null || true
    $sudo dpkg --purge quillmate > /dev/null 2>&1 || true
    rm -rf "$home"
}
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" > /dev/null
$sudo dpkg --verify quillmate

# A display of our own that the unprivileged user may use: an X server without an authority file
# lets every local client in.
for number in $(seq 90 120); do
    [ -e "/tmp/.X$number-lock" ] || { display=":$number"; break; }
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
$sudo chown nobody "$home"
export DISPLAY="$display"

start() {
    $sudo setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups \
        env -i HOME="$home" DISPLAY="$display" LANG=C.UTF-8 GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
        /usr/bin/quillmate > "$home/log" 2>&1 &
    pid=$!
    wait_for "main window" xdotool search --all --onlyvisible --pid "$pid" --name '^Quillmate$'
    window=$(xdotool search --all --onlyvisible --pid "$pid" --name '^Quillmate$' | head -n 1)
}
wait_for() {
    what="$1"
    shift
    for _ in $(seq 1 300); do
        "$@" > /dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "No $what appeared."; cat "$home/log"; exit 1
}
title_is() {
    [ "$(xdotool getwindowname "$window")" = "$1" ]
}
show_entry() {
    xdotool windowfocus --sync "$window" key Delete
    xdotool type --delay 30 "gtk_label_new"
    xdotool key Return
}
quit() {
    xdotool windowfocus --sync "$window" key Escape
    wait "$pid" || { echo "The program ended with an error."; cat "$home/log"; exit 1; }
    pid=""
}

start
# A first start greets with the about dialog until the settings have been saved once.
wait_for "about dialog" xdotool search --all --onlyvisible --name '^About Quillmate$'
xdotool windowfocus --sync "$(xdotool search --all --onlyvisible --name '^About Quillmate$' | head -n 1)" key Escape
settings="$home/.config/quillmate/QuillmateViewer.ini"
[ "$(stat -c %U "$settings")" = nobody ] || { echo "No settings of the user's own at $settings."; exit 1; }
show_entry
wait_for "entry in the title" title_is "Quillmate ~ /Labels/LabelSimple.kx"
# The settings button, then the title box (their places in the window): its next choice, the full
# path; then Save.
width=$(xdotool getwindowgeometry --shell "$window" | sed -n 's/^WIDTH=//p')
xdotool mousemove --window "$window" $((width - 114 + 15)) 17 click 1
wait_for "settings dialog" xdotool search --all --onlyvisible --name '^Quillmate - Settings$'
dialog=$(xdotool search --all --onlyvisible --name '^Quillmate - Settings$' | head -n 1)
xdotool mousemove --window "$dialog" 385 342 click 1 sleep 0.5 key Down sleep 0.2 key Return sleep 0.2
xdotool mousemove --window "$dialog" 475 488 click 1
wait_for "full path in the title" title_is "Quillmate ~ /usr/lib/quillmate/Labels/LabelSimple.kx"
quit
grep -q '^SourceInTitle=2$' "$settings" || { echo "The setting was not saved in $settings."; exit 1; }

start
show_entry
wait_for "full path in the title after a restart" title_is "Quillmate ~ /usr/lib/quillmate/Labels/LabelSimple.kx"
quit
$sudo dpkg --verify quillmate || { echo "The user's session changed files of the package."; exit 1; }
echo "The installed program keeps a user's setting across a restart."

$sudo dpkg --purge quillmate > /dev/null
for path in /usr/lib/quillmate /etc/quillmate /usr/bin/quillmate /usr/share/doc/quillmate; do
    [ ! -e "$path" ] && [ ! -L "$path" ] || { echo "$path is left after the removal."; exit 1; }
done
echo "The package installs, runs and leaves nothing behind."
