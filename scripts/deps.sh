#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests (including the
# sanitizer and fuzzing runs, the desktop and installation checks), the
# device window and the Debian package need, when they are missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev
  nlohmann-json3-dev libcli11-dev libpugixml-dev libgcab-dev cabextract
  qt6-base-dev libgl-dev libxcb1-dev fonts-ipafont-gothic fontconfig
  libuchardet-dev
  xvfb xauth xdotool
  help2man appstream desktop-file-utils file dpkg-dev fakeroot lintian
  clang libclang-rt-14-dev valgrind
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}" >&2
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
