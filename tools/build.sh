#!/bin/sh
# Configures and builds Quillmate into build/ (program folder: build/Quillmate/).
set -e
cd "$(dirname "$0")/.."
cmake -S . -B build "$@"
cmake --build build -j "$(nproc)"
