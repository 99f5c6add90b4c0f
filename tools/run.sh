#!/bin/sh
# Installs the dependencies, builds, and opens the viewer on the bundled sample library.
set -e
cd "$(dirname "$0")/.."
sh tools/install-deps.sh
sh tools/build.sh
exec build/Quillmate/quillmate
