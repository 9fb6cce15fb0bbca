#!/usr/bin/env bash
# Regenerates resources/english.dic, the word list the host checks words
# against, from Debian's scowl package (apt-get install scowl).
#
# Input: the english-words.N, american-words.N and british-words.N lists of
# every size N up to 80 (no proper names, abbreviations, contractions or
# capitalised words). Only lines that are 2 to 14 lower-case letters a-z are
# kept; they are upper-cased, sorted in byte order and kept once each.
# Output: one 15-byte record per word, the byte 0x1E followed by the word
# left-aligned in 14 bytes and filled up with blanks; no header, no newline.
# The list's copyright notice is copied beside it as english.dic.copyright.
set -euo pipefail
export LC_ALL=C

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
scowl="${SCOWL_DIR:-/usr/share/dict/scowl}"
notice="${SCOWL_COPYRIGHT:-/usr/share/doc/scowl/copyright}"
out="$here/resources/english.dic"
max_level=80

inputs=()
for f in "$scowl"/{english,american,british}-words.*; do
  level="${f##*.}"
  [[ "$level" =~ ^[0-9]+$ ]] || continue
  (( 10#$level <= max_level )) && inputs+=("$f")
done
if [ ${#inputs[@]} -eq 0 ]; then
  echo "make_wordlist: no word lists found in $scowl" >&2
  exit 1
fi

tmp="$(mktemp "$out.XXXXXX")"
trap 'rm -f "$tmp"' EXIT

cat "${inputs[@]}" \
  | grep -x '[a-z]\{2,14\}' \
  | tr 'a-z' 'A-Z' \
  | sort -u \
  | awk '{ printf "\036%-14s", $0 }' > "$tmp"

size=$(stat -c %s "$tmp")
if (( size == 0 || size % 15 != 0 )); then
  echo "make_wordlist: unexpected output size $size" >&2
  exit 1
fi
chmod 644 "$tmp"
mv "$tmp" "$out"
trap - EXIT
cp "$notice" "$out.copyright"
echo "$out: $((size / 15)) words (${#inputs[@]} input lists)"
