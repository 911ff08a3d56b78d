#!/bin/sh
# Installs the Debian packages that building and testing Ravak needs, when missing.
# Safe to run again: it only calls apt-get when a package is not installed yet.
set -eu

PACKAGES="cmake ninja-build g++ make clang clang-format-14 googletest libgtest-dev libgmock-dev
libbenchmark-dev libicu-dev pkg-config mingw-w64 wine64 xvfb xdotool x11-utils imagemagick
fonts-dejavu-core python3 python3-pytest python3-pytest-xdist wixl msitools binutils-mingw-w64-x86-64"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

[ -z "$missing" ] && exit 0

echo "Installing missing packages:$missing"
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $missing
