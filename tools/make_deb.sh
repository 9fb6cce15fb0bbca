#!/usr/bin/env bash
# Builds the Debian package gorse_VERSION_ARCH.deb into FOLDER and prints its
# path. Without BUILD_DIR it first configures build/ and builds the programs
# there (installing what the build needs); with BUILD_DIR it packages that
# build as it is.
#   tools/make_deb.sh FOLDER [BUILD_DIR]
# Then: sudo apt-get install ./FOLDER/gorse_*.deb
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: tools/make_deb.sh FOLDER [BUILD_DIR]" >&2
  exit 2
fi
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
mkdir -p "$1"
out="$(cd "$1" && pwd)"

# dpkg-dev: dpkg-shlibdeps, which works out the package's dependencies from
# the libraries the programs load; file: how cpack finds the programs.
"$here/tools/install_packages.sh" dpkg-dev file
if [ $# -eq 2 ]; then
  build="$(cd "$2" && pwd)"
else
  "$here/tools/bootstrap.sh" gorse gorse-host
  build="$here/build"
fi
if [ ! -f "$build/CPackConfig.cmake" ]; then
  echo "make_deb.sh: $build is not a configured build of the game" >&2
  exit 1
fi

# cpack stages the installation in a folder of its own; only the package is
# kept. Installing writes the list of installed files into the build folder:
# the list of a real installation (cmake --install) is kept as it was.
work="$(mktemp -d)"
manifest="$build/install_manifest.txt"
if [ -e "$manifest" ]; then
  cp -p "$manifest" "$work/install_manifest.txt"
fi
restore() {
  if [ -e "$work/install_manifest.txt" ]; then
    mv -f "$work/install_manifest.txt" "$manifest"
  else
    rm -f "$manifest"
  fi
  rm -rf "$work"
}
trap restore EXIT
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  exit 1
fi
shopt -s nullglob
debs=("$work"/gorse_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
  cat "$work/cpack.log" >&2
  echo "make_deb.sh: cpack made ${#debs[@]} packages, not one" >&2
  exit 1
fi
mv -f "${debs[0]}" "$out/"
echo "$out/$(basename "${debs[0]}")"
