#!/usr/bin/env bash
# Regenerates resources/bots/botwords.txt, how common the words are that the
# computer players know, from Debian's scowl package (installed here when
# missing).
#
# Input: the english-words.N, american-words.N and british-words.N lists of
# the sizes N in $sizes (10 holds the most common words; each size adds the
# words that first appear at it). Only lines of 2 to max_letters (8) lower-case
# letters a-z are kept: the levels that mind how common a word is play no
# longer words (game/botlevel.cpp).
# The slurs of tools/wordlist-slurs.txt are under no size: they follow, of
# any length, after a line holding only "-", the words a computer player
# never plays or suggests even when the table's list holds them.
# Output: a few comment lines starting with "#", then per size a line
# holding only the size, followed by the words first found at that size,
# one a line, sorted; a word is listed once, under its smallest size. Then
# the "-" line and the slurs, sorted.
# Environment: SCOWL_DIR (default /usr/share/dict/scowl), WORDLIST_SLURS
# (default tools/wordlist-slurs.txt), BOTWORDS_OUT (default
# resources/bots/botwords.txt).
set -euo pipefail
export LC_ALL=C

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
scowl="${SCOWL_DIR:-/usr/share/dict/scowl}"
out="${BOTWORDS_OUT:-$here/resources/bots/botwords.txt}"
slurs="${WORDLIST_SLURS:-$here/tools/wordlist-slurs.txt}"
sizes=(10 20 35 40 50)
max_letters=8

if [ ! -d "$scowl" ] && [ -z "${SCOWL_DIR:-}" ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends scowl
fi

if [ ! -r "$slurs" ]; then
  echo "make_botwords: cannot read $slurs" >&2
  exit 1
fi

mkdir -p "$(dirname "$out")"
tmp="$(mktemp "$out.XXXXXX")"
seen="$(mktemp)"
never="$(mktemp)"
trap 'rm -f "$tmp" "$seen" "$never"' EXIT

# The first word of every line that is not blank or a comment, in lower case
# (tools/make_wordlist.sh checks the file's form).
sed -e 's/#.*//' "$slurs" | awk 'NF { print tolower($1) }' | sort -u > "$never"

{
  echo "# How common words are: under each size, the words first found in the"
  echo "# word lists of that size (10 = the most common). Made by"
  echo "# tools/make_botwords.sh from the same source as resources/english.dic;"
  echo "# see resources/english.dic.copyright for its terms."
} > "$tmp"

total=0
for size in "${sizes[@]}"; do
  lists=()
  for variant in english american british; do
    [ -f "$scowl/$variant-words.$size" ] && lists+=("$scowl/$variant-words.$size")
  done
  if [ ${#lists[@]} -eq 0 ]; then
    echo "make_botwords: no word lists of size $size in $scowl" >&2
    exit 1
  fi
  words="$(cat "${lists[@]}" | grep -x "[a-z]\\{2,$max_letters\\}" | sort -u | comm -23 - "$seen" |
    comm -23 - "$never")"
  echo "$size" >> "$tmp"
  if [ -n "$words" ]; then
    printf '%s\n' "$words" >> "$tmp"
    printf '%s\n' "$words" | sort -u -m - "$seen" -o "$seen"
    total=$((total + $(printf '%s\n' "$words" | wc -l)))
  fi
done

{
  echo "# Never played or suggested: the slurs of tools/wordlist-slurs.txt."
  echo "-"
  cat "$never"
} >> "$tmp"

chmod 644 "$tmp"
mv "$tmp" "$out"
echo "$out: $total words in ${#sizes[@]} sizes, $(wc -l < "$never") never played"
