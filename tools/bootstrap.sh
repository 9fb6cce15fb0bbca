#!/usr/bin/env bash
# Installs the Debian packages the build needs when they are missing, then
# configures and builds into build/. Run by ./run and ./test.
#   tools/bootstrap.sh [TARGET...]    (no target: everything, tests and
#                                      benchmarks included)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# wordnet-base: the data the game reads the meanings of words from.
# desktop-file-utils, appstream: the validators the install test runs;
# dpkg-dev, file, lintian: the package test builds and checks a .deb.
packages=(g++ make cmake pkg-config qt6-base-dev qt6-multimedia-dev
          qt6-httpserver-dev qt6-websockets-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation
          clang-format wordnet-base desktop-file-utils appstream
          dpkg-dev file lintian nodejs chromium)
# The browser client is built with node and the npm packages pinned in
# web/package-lock.json. Debian's nodejs comes without npm; where node came
# from elsewhere it brings its own npm, which Debian's would conflict with.
if ! command -v npm >/dev/null 2>&1; then
  packages+=(npm)
fi
# The sound test plays through a PulseAudio server of its own. Where
# PipeWire's replacement for PulseAudio runs the desktop's sound, it is left
# alone and the test plays through that instead.
if ! dpkg-query -W -f='${Status}' pipewire-pulse 2>/dev/null | grep -q "install ok installed"; then
  packages+=(pulseaudio)
fi

"$here/tools/install_packages.sh" "${packages[@]}"

# The browser client's packages, again whenever the lockfile changed.
web="$here/web"
if [ ! -e "$web/node_modules/.package-lock.json" ] ||
   [ "$web/package-lock.json" -nt "$web/node_modules/.package-lock.json" ]; then
  (cd "$web" && npm ci --no-audit --no-fund --loglevel=error)
fi

jobs="$(nproc 2>/dev/null || echo 2)"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${GORSE_CMAKE_ARGS:-} >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$here/build" -j"$jobs" "${targets[@]}"
