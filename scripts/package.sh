#!/usr/bin/env bash
# Builds the Debian package (build/regillamobile_VERSION_ARCH.deb) from the
# default build and checks it with lintian: no errors allowed.
#   scripts/package.sh
# Install it with:  sudo apt install ./build/regillamobile_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh default >&2
rm -f build/regillamobile_*.deb
(cd build && cpack -G DEB) >&2
deb="$(ls build/regillamobile_*.deb)"
echo "== lintian $deb" >&2
lintian --fail-on error "$deb" >&2
# What the package depends on, as dpkg-shlibdeps found it.
dpkg-deb -f "$deb" Package Version Depends Recommends >&2
echo "$deb"
