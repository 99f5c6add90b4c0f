#!/bin/sh
# Runs a few GUI tests of the real program under a Wayland compositor (weston's headless back
# end), where the compositor places the windows: start-up, showing entries by keys, the not-found
# hints and a save with window data. The tests that click are left out: the driver's synthesized
# pointer events reach only an X11 window.
# Usage: sh tools/test-wayland.sh GUI_TESTS_BINARY
# Exit status 77 (skipped) when weston is not installed.
binary="$1"
if ! command -v weston > /dev/null 2>&1; then
    echo "weston is not installed: no Wayland session to test in."
    exit 77
fi
runtime=$(mktemp -d /tmp/quillmate-wayland-XXXXXX)
chmod 700 "$runtime"
weston_pid=""
cleanup() {
    [ -n "$weston_pid" ] && kill "$weston_pid" 2> /dev/null
    rm -rf "$runtime"
}
trap cleanup EXIT
XDG_RUNTIME_DIR="$runtime" weston --backend=headless-backend.so --socket=quillmate --idle-time=0 \
    --no-config > "$runtime/weston.log" 2>&1 &
weston_pid=$!
tries=0
while [ ! -S "$runtime/quillmate" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$weston_pid" 2> /dev/null; then
        echo "weston did not start:"
        cat "$runtime/weston.log"
        exit 1
    fi
    sleep 0.1
done
unset DISPLAY
XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=quillmate GDK_BACKEND=wayland "$binary" \
    --gtest_filter='StartUpTest.*:LanguageTest.*:SearchTest.*:SettingsTest.SaveWithWindowData*'
