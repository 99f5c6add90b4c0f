#!/bin/sh
# Installs the Debian 12 packages Quillmate needs to build, run and test.
set -e
# One package a line, so that additions merge cleanly. clang, its runtimes and llvm (for
# llvm-symbolizer) serve the fuzzing and the sanitized tests.
packages="
  build-essential
  cmake
  pkg-config
  libgtkmm-3.0-dev
  libexpat1-dev
  libpng-dev
  zlib1g-dev
  libdw-dev
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  clang-format
  xvfb
  xauth
  x11-utils
  xdotool
  libxtst-dev
  libcurl3-gnutls
  desktop-file-utils
  appstream
  appstream-compose
  weston
  dpkg-dev
  file
  lintian
  valgrind
  python3
  clang
  libclang-rt-14-dev
  llvm
"
missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
