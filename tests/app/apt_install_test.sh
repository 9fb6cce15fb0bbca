#!/usr/bin/env bash
# Makes the Debian package from a build, installs it on this machine with
# apt-get as a player would, checks the installed game, and removes it
# again: nothing of it may be left behind. Needs root, and changes the
# machine while it runs: CI runs it on its clean machine after ./test.
# Usage: apt_install_test.sh BUILD_DIR
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
src="$(cd "$here/../.." && pwd)"
build="$(cd "$1" && pwd)"
if [ "$(id -u)" -ne 0 ]; then
  echo "apt_install_test.sh installs a package: run it as root"
  exit 1
fi
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
id="$(basename "$src"/resources/*.metainfo.xml .metainfo.xml)"
status() { dpkg-query -W -f='${db:Status-Status}' gorse 2>/dev/null || echo not-installed; }
if [ "$(status)" != not-installed ]; then
  echo "gorse is already installed here ($(status)); this check installs and removes it:"
  echo "remove it first (apt-get purge gorse)"
  exit 1
fi

work="$(mktemp -d)"
# Whatever happens, the machine is left without the game.
installing=0
trap '[ "$installing" -eq 0 ] || apt-get remove -y -qq gorse >/dev/null; rm -rf "$work"' EXIT
deb="$("$src/tools/make_deb.sh" "$work" "$build" | tail -n 1)"
export DEBIAN_FRONTEND=noninteractive
installing=1
apt-get install -y -qq "$deb" >/dev/null
installed="$(dpkg -L gorse)"

expect() {
  if [ "$2" != "$3" ]; then
    echo "$1 is \"$2\", not \"$3\""
    exit 1
  fi
}
expect "the installed version" "$(dpkg-query -W -f='${Version}' gorse)" "$version"
# Debian's games live in /usr/games, on every user's PATH (not root's).
users_path="$(sed -n 's/^ENV_PATH[[:space:]]*PATH=//p' /etc/login.defs)"
for program in gorse gorse-host; do
  expect "the $program on a user's PATH" "$(env PATH="$users_path" sh -c "command -v $program" || true)" \
    "/usr/games/$program"
  expect "the manual page of $program" "$(man -w 6 "$program" || true)" \
    "/usr/share/man/man6/$program.6.gz"
done
desktop-file-validate "/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "/usr/share/metainfo/$id.metainfo.xml"
"$here/run_installed.sh" /usr/games "$version"

apt-get remove -y -qq gorse >/dev/null
installing=0
if [ "$(status)" != not-installed ]; then
  echo "after apt-get remove, dpkg still lists gorse as $(status)"
  exit 1
fi
# What the package put here is gone: its files, and its folders unless
# another package still owns them or they hold others' files.
left=0
while IFS= read -r path; do
  if [ -d "$path" ]; then
    if [ -z "$(ls -A "$path")" ] && ! dpkg -S "$path" >/dev/null 2>&1; then
      echo "left behind: the empty folder $path"
      left=1
    fi
  elif [ -e "$path" ] || [ -L "$path" ]; then
    echo "left behind: $path"
    left=1
  fi
done <<<"$installed"
[ "$left" -eq 0 ] || exit 1
echo "apt-get install, run and remove: ok"
