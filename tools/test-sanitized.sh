#!/bin/sh
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/ and runs
# every test there (GUI tests under Xvfb without a display). The tests bring their sanitizer
# options and the leak suppressions for the GTK stack (tests/CMakeLists.txt).
set -e
cd "$(dirname "$0")/.."
sh tools/install-deps.sh
cmake --preset sanitized "$@"
cmake --build build-asan -j "$(nproc)"
if [ -z "$DISPLAY" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --test-dir build-asan --output-on-failure -j 2
fi
exec ctest --test-dir build-asan --output-on-failure -j 2
