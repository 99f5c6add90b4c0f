#!/bin/sh
# Runs the permission tests of a core test binary as the user "nobody": as root, permission bits
# stop nothing and those tests skip themselves. The binary is copied to a folder nobody can read,
# since the build folder may lie under a home folder only root can enter.
# Usage: sh tools/run-unprivileged.sh CORE_TESTS_BINARY GTEST_FILTER
# Exit status 77 (skipped) when not root or when the system offers no way to drop privileges.
binary="$1"
filter="$2"
if [ "$(id -u)" -ne 0 ]; then
    echo "Not running as root: the permission tests ran unprivileged with the other tests."
    exit 77
fi
if ! command -v setpriv > /dev/null 2>&1 || ! id nobody > /dev/null 2>&1; then
    echo "No setpriv or no user nobody: the permission tests cannot run unprivileged here."
    exit 77
fi
set -e
folder=$(mktemp -d /tmp/quillmate-unprivileged-XXXXXX)
trap 'rm -rf "$folder"' EXIT
cp "$binary" "$folder/core_tests"
mkdir "$folder/tmp"
chmod 755 "$folder" "$folder/core_tests"
chmod 1777 "$folder/tmp"
# The suppressions file may not be readable by nobody; the core tests need none.
status=0
(cd "$folder" && TMPDIR="$folder/tmp" LSAN_OPTIONS="" setpriv --reuid=nobody --regid="$(id -g nobody)" \
    --clear-groups ./core_tests --gtest_filter="$filter") > "$folder/log" 2>&1 || status=$?
cat "$folder/log"
if [ "$status" -ne 0 ]; then
    exit "$status"
fi
if grep -q '^\[  SKIPPED \]' "$folder/log" || ! grep -q '^\[  PASSED  \] [1-9]' "$folder/log"; then
    echo "The permission tests did not all run as nobody."
    exit 1
fi
