#!/bin/sh
# Installs the dependencies, builds, and runs every test (GUI tests under Xvfb without a display).
set -e
cd "$(dirname "$0")/.."
sh tools/install-deps.sh
sh tools/build.sh "$@"
if [ -z "$DISPLAY" ]; then
    # -noreset: without it the server restarts whenever its last client leaves, and a GUI test
    # that connects in that moment finds no display.
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --test-dir build --output-on-failure -j 2
fi
exec ctest --test-dir build --output-on-failure -j 2
