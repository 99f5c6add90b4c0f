#!/bin/sh
# Configures and builds Quillmate into build/ (program folder: build/Quillmate/).
set -e
cd "$(dirname "$0")/.."
cmake --preset default "$@"
cmake --build build -j "$(nproc)"
