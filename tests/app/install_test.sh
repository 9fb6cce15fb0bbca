#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks the tree: both programs,
# the desktop entry, the software-centre description and the icons, that
# the desktop's and the software centre's validators accept the files, and
# that the installed programs run from their new place.
# Usage: install_test.sh BUILD_DIR APP_ID VERSION
set -euo pipefail

build="$1"
id="$2"
version="$3"
prefix="$(mktemp -d)"
# Installing writes the list of installed files into the build folder: keep
# the list of a real installation as it was.
manifest="$build/install_manifest.txt"
if [ -e "$manifest" ]; then
  cp -p "$manifest" "$prefix.manifest"
fi
restore() {
  if [ -e "$prefix.manifest" ]; then
    mv -f "$prefix.manifest" "$manifest"
  else
    rm -f "$manifest"
  fi
  rm -rf "$prefix"
}
trap restore EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
fail=0
check() {
  if [ ! -e "$prefix/$1" ]; then
    echo "missing from the install tree: $1"
    fail=1
  fi
}
check bin/gorse
check bin/gorse-host
check "share/applications/$id.desktop"
check "share/metainfo/$id.metainfo.xml"
check "share/icons/hicolor/scalable/apps/$id.svg"
for size in 16 22 24 32 48 64 128 256 512; do
  check "share/icons/hicolor/${size}x${size}/apps/$id.png"
done
check share/man/man6/gorse.6.gz
check share/man/man6/gorse-host.6.gz
[ "$fail" -eq 0 ] || exit 1

desktop="$prefix/share/applications/$id.desktop"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
desktop-file-validate "$desktop"
appstreamcli validate --no-net "$metainfo"

# The entries name what was installed.
grep -qx "Exec=gorse" "$desktop"
grep -qx "Icon=$id" "$desktop"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo"
grep -q "<release version=\"$version\"" "$metainfo" || {
  echo "the description's latest release is not $version"
  exit 1
}

# The installed programs load nothing from the build tree (their search
# path for libraries says nothing of it).
for program in gorse gorse-host; do
  if LC_ALL=C readelf -d "$prefix/bin/$program" | grep -E "R(UN)?PATH" | grep -q "$build"; then
    echo "the installed $program looks for libraries in the build folder"
    exit 1
  fi
done
"$prefix/bin/gorse-host" --help >/dev/null
QT_QPA_PLATFORM=offscreen "$prefix/bin/gorse" --help >/dev/null
echo "install tree and validators: ok"
