#!/usr/bin/env bash
# Renders the game's icon (resources/icons/com.velmarsoftware.Gorse.svg) into
# the PNG sizes a desktop's icon theme and the window use. The PNGs are
# committed; run this after changing the drawing.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
icons="$here/resources/icons"
id="com.velmarsoftware.Gorse"

if ! command -v rsvg-convert >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends librsvg2-bin
fi

for size in 16 22 24 32 48 64 128 256 512; do
  out="$icons/hicolor/${size}x${size}/apps"
  mkdir -p "$out"
  rsvg-convert -w "$size" -h "$size" "$icons/$id.svg" -o "$out/$id.png"
done
echo "Rendered $id in $(ls "$icons/hicolor" | tr '\n' ' ')"
