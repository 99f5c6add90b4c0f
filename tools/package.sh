#!/bin/sh
# Installs the dependencies, builds, and makes the Debian package of the build in build/package/:
# quillmate_<version>_<arch>.deb and its debugging symbols, quillmate-dbgsym_<version>_<arch>.ddeb.
set -e
cd "$(dirname "$0")/.."
sh tools/install-deps.sh
sh tools/build.sh "$@"
rm -f build/package/*.deb build/package/*.ddeb
(cd build && cpack -G DEB > /dev/null)
ls build/package/*.deb build/package/*.ddeb
