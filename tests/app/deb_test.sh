#!/usr/bin/env bash
# Builds the Debian package from the build as it is and checks it: its name
# and control fields, lintian, and its contents unpacked into a scratch
# root, where the desktop's and the software centre's validators accept the
# files and the programs run. (Installing it with apt-get for real needs
# root and changes the machine: CI does that, tests/app/apt_install_test.sh.)
# Usage: deb_test.sh SOURCE_DIR BUILD_DIR APP_ID VERSION
set -euo pipefail

src="$1"
build="$2"
id="$3"
version="$4"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

deb="$("$src/tools/make_deb.sh" "$work/out" "$build" | tail -n 1)"
arch="$(dpkg --print-architecture)"
if [ "$(basename "$deb")" != "gorse_${version}_${arch}.deb" ]; then
  echo "the package is $(basename "$deb"), not gorse_${version}_${arch}.deb"
  exit 1
fi

fail=0
expect_field() {
  local got
  got="$(dpkg-deb -f "$deb" "$1")"
  if [ "$got" != "$2" ]; then
    echo "the package's $1 is \"$got\", not \"$2\""
    fail=1
  fi
}
expect_field Package gorse
expect_field Version "$version"
expect_field Architecture "$arch"
expect_field Section games
expect_field Priority optional
# The dependencies come from the libraries the programs load, with the
# versions their symbols need.
depends="$(dpkg-deb -f "$deb" Depends)"
for library in libc6 libstdc++6 libqt6core6 libqt6network6 libqt6widgets6 libqt6multimedia6; do
  if ! grep -Eq "(^|, )${library//+/\\+}(t64)? \(>= [^)]+\)" <<<"$depends"; then
    echo "Depends lacks a versioned $library: $depends"
    fail=1
  fi
done

# Every tag at warning level or above fails the check. The spelling check of
# the programs is left out: it reads the word lists built into them and
# reports words such as "calender" and "singed" that are in the lists rightly.
lintian --fail-on error,warning --tag-display-limit 0 -X binaries/spelling "$deb" || {
  echo "lintian found faults in the package"
  exit 1
}

root="$work/root"
dpkg-deb -x "$deb" "$root"
check() {
  if [ ! -e "$root/$1" ]; then
    echo "missing from the package: /$1"
    fail=1
  fi
}
check usr/games/gorse
check usr/games/gorse-host
check "usr/share/applications/$id.desktop"
check "usr/share/metainfo/$id.metainfo.xml"
check "usr/share/icons/hicolor/scalable/apps/$id.svg"
for size in 16 22 24 32 48 64 128 256 512; do
  check "usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
done
check usr/share/man/man6/gorse.6.gz
check usr/share/man/man6/gorse-host.6.gz
check usr/share/doc/gorse/copyright
check usr/share/doc/gorse/changelog.gz
check lib/systemd/system/gorse-host.service
[ "$fail" -eq 0 ] || exit 1

# The changelog's newest entry is this version.
newest="$(zcat "$root/usr/share/doc/gorse/changelog.gz" | head -n 1)"
case "$newest" in
  "gorse ($version) "*) ;;
  *)
    echo "the changelog's newest entry is \"$newest\", not version $version"
    exit 1
    ;;
esac
# The copyright file carries our licence and the word lists' notice.
for notice in "Permission is hereby granted, free of charge" "Copyright 2000-2011 by Kevin Atkinson" \
              "WordNet 3.0 Copyright 2006 by Princeton University"; do
  grep -qF "$notice" "$root/usr/share/doc/gorse/copyright" || {
    echo "the copyright file lacks \"$notice\""
    exit 1
  }
done

desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"
"$src/tests/app/run_installed.sh" "$root/usr/games" "$version"
echo "package: ok"
