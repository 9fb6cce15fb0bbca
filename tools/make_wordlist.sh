#!/usr/bin/env bash
# Regenerates the two built-in word lists the host checks words against,
# from Debian's scowl package:
#
#   english.dic        the standard list, the default
#   english-large.dic  the large list
#
# and copies SCOWL's copyright notice beside them as english.dic.copyright.
#
# Input of both: the english-words.N, american-words.N and british-words.N
# lists of every size N up to 80 (SCOWL keeps proper names, abbreviations,
# contractions and capitalised words in other lists, which are not read).
# Only lines that are 2 to 14 lower-case letters a-z are kept; they are
# upper-cased, sorted in byte order and kept once each. That is the large
# list.
#
# The standard list is the large list without the slurs reviewed in
# tools/wordlist-slurs.txt and without the two- and three-letter entries
# that look like abbreviations or are known to few players. Each
# word's size is the smallest N it appears at. Sizes up to 60 come from
# general dictionaries (at 60 a word stands in at least two of the twelve
# dictionaries SCOWL counts); sizes 70 and 80 add lists from single
# sources, which bring entries such as KB, LN, LX, MB, XS or ZS. So:
#   - entries of four letters or more are kept;
#   - a two-letter entry ending in S is dropped (SCOWL lists the plurals of
#     letters: CS, MS, RS...);
#   - a two- or three-letter entry whose size is above 60 is dropped;
#   - tools/wordlist-exceptions.txt overrides both rules, entry by entry:
#     "+WORD" keeps, "-WORD" drops, each with a comment saying why;
#   - a word of tools/wordlist-slurs.txt ("WORD reason", one a line) is
#     dropped whatever its length; a word may stand in only one of the two
#     files.
#
# Output: one 15-byte record per word, the byte 0x1E followed by the word
# left-aligned in 14 bytes and filled up with blanks; no header, no newline.
# The same input gives the same bytes.
#
# Usage: tools/make_wordlist.sh [--removed]
#   --removed  also print every entry of the large list that the standard
#              list leaves out, with the reason.
# Environment:
#   SCOWL_DIR            SCOWL's lists (default /usr/share/dict/scowl; the
#                        scowl package is installed when it is missing)
#   SCOWL_COPYRIGHT      the notice copied beside the lists
#                        (default /usr/share/doc/scowl/copyright)
#   WORDLIST_OUT_DIR     where the lists go (default resources/)
#   WORDLIST_EXCEPTIONS  the exceptions (default tools/wordlist-exceptions.txt)
#   WORDLIST_SLURS       the slurs (default tools/wordlist-slurs.txt)
set -euo pipefail
export LC_ALL=C

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
default_scowl=/usr/share/dict/scowl
scowl="${SCOWL_DIR:-$default_scowl}"
notice="${SCOWL_COPYRIGHT:-/usr/share/doc/scowl/copyright}"
outdir="${WORDLIST_OUT_DIR:-$here/resources}"
exceptions="${WORDLIST_EXCEPTIONS:-$here/tools/wordlist-exceptions.txt}"
slurs="${WORDLIST_SLURS:-$here/tools/wordlist-slurs.txt}"
max_level=80
max_short_level=60

show_removed=0
for arg in "$@"; do
  case "$arg" in
    --removed) show_removed=1 ;;
    *) echo "usage: $0 [--removed]" >&2; exit 2 ;;
  esac
done

if [ -z "${SCOWL_DIR:-}" ] && [ ! -d "$default_scowl" ]; then
  echo "make_wordlist: installing Debian's scowl package" >&2
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends scowl
fi

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
for f in "$exceptions" "$slurs" "$notice"; do
  if [ ! -r "$f" ]; then
    echo "make_wordlist: cannot read $f" >&2
    exit 1
  fi
done
mkdir -p "$outdir"

work="$(mktemp -d "$outdir/.make_wordlist.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Every word with the smallest size it appears at, sorted by word.
awk '
  /^[a-z]+$/ && length($0) >= 2 && length($0) <= 14 {
    level = FILENAME; sub(/.*\./, "", level); level += 0
    word = toupper($0)
    if (!(word in best) || level < best[word]) best[word] = level
  }
  END { for (w in best) print w, best[w] }
' "${inputs[@]}" | sort -k1,1 > "$work/levels"

# Both lists, the removed entries and the counts by length.
awk -v exceptions="$exceptions" -v slurs="$slurs" -v maxshort="$max_short_level" \
    -v large="$work/large" -v standard="$work/standard" -v removed="$work/removed" '
  function fail(msg) { print "make_wordlist: " msg > "/dev/stderr"; failed = 1; exit 1 }
  BEGIN {
    n = 0
    while ((getline line < exceptions) > 0) {
      ++n
      sub(/#.*/, "", line); gsub(/[ \t\r]/, "", line)
      if (line == "") continue
      if (line !~ /^[+-][A-Za-z]+$/ || length(line) < 3 || length(line) > 15)
        fail(exceptions ":" n ": not +WORD or -WORD: " line)
      word = toupper(substr(line, 2))
      if (word in rule) fail(exceptions ":" n ": " word " is listed twice")
      rule[word] = substr(line, 1, 1)
    }
    close(exceptions)
    n = 0
    while ((getline line < slurs) > 0) {
      ++n
      sub(/#.*/, "", line)
      if (line ~ /^[ \t\r]*$/) continue
      word = toupper(line); sub(/[ \t].*/, "", word)
      if (line !~ /^[A-Za-z]+[ \t]+[^ \t\r]/ || length(word) < 2 || length(word) > 14)
        fail(slurs ":" n ": not a word of 2 to 14 letters and the reason: " line)
      if (word in slur) fail(slurs ":" n ": " word " is listed twice")
      if (word in rule) fail(slurs ":" n ": " word " is also in " exceptions)
      slur[word] = 1
    }
    close(slurs)
    printf "" > large; printf "" > standard; printf "" > removed
  }
  {
    word = $1; level = $2; len = length(word)
    printf "\036%-14s", word > large
    ++inlarge[len]
    seen[word] = 1
    why = ""
    if (word in slur) {
      why = "slur"
      ++slurs_out
    } else if (word in rule) {
      if (rule[word] == "-") why = "exception"
    } else if (len == 2 && word ~ /S$/) {
      why = "letter plural"
    } else if (len <= 3 && level > maxshort) {
      why = "size " level
    }
    if (why == "") {
      printf "\036%-14s", word > standard
      ++instandard[len]
    } else {
      print word "\t" level "\t" why > removed
    }
  }
  END {
    if (failed) exit 1
    for (w in rule) if (!(w in seen)) fail(exceptions ": " w " is in none of the source lists")
    for (w in slur) if (!(w in seen)) fail(slurs ": " w " is in none of the source lists")
    printf "%-8s %10s %10s\n", "letters", "standard", "large"
    for (len = 2; len <= 14; ++len) {
      printf "%-8d %10d %10d\n", len, instandard[len], inlarge[len]
      s += instandard[len]; l += inlarge[len]
    }
    printf "%-8s %10d %10d\n", "total", s, l
    printf "%d slurs left out of the standard list\n", slurs_out
  }
' "$work/levels" > "$work/counts"

for list in standard large; do
  size=$(stat -c %s "$work/$list")
  if (( size == 0 || size % 15 != 0 )); then
    echo "make_wordlist: unexpected size $size of the $list list" >&2
    exit 1
  fi
  chmod 644 "$work/$list"
done
cp "$notice" "$work/copyright"
chmod 644 "$work/copyright"
mv "$work/standard" "$outdir/english.dic"
mv "$work/large" "$outdir/english-large.dic"
mv "$work/copyright" "$outdir/english.dic.copyright"

echo "$outdir: english.dic (standard) and english-large.dic (large)" \
  "from ${#inputs[@]} input lists"
cat "$work/counts"
if (( show_removed )); then
  echo "Entries of the large list not in the standard list:"
  printf 'word\tsize\treason\n'
  sort "$work/removed"
fi
