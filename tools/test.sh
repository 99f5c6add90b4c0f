#!/bin/sh
# Installs the dependencies, builds, and runs every test (GUI tests under Xvfb without a display):
# first the standard configuration in build/, then the admin configuration in build-admin/.
set -e
cd "$(dirname "$0")/.."

run_ctest() {
    if [ -z "$DISPLAY" ]; then
        # -noreset: without it the server restarts whenever its last client leaves, and a GUI
        # test that connects in that moment finds no display.
        xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --test-dir "$1" --output-on-failure -j 2
    else
        ctest --test-dir "$1" --output-on-failure -j 2
    fi
}

sh tools/install-deps.sh
sh tools/build.sh "$@"
run_ctest build

cmake --preset admin "$@"
cmake --build build-admin -j "$(nproc)"
run_ctest build-admin
