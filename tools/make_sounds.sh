#!/usr/bin/env bash
# Regenerates the game's sounds in resources/sounds/: the eleven game cues
# (plus "winner"), and the twenty chatter sounds wave1 to wave20. Every file
# is mono 16-bit PCM WAV, made from tones, noise and filters with sox and from
# speech with espeak-ng; nothing is recorded. Installs both from Debian's
# packages when they are missing.
#
# The output is the same byte for byte on every run: sox runs in its
# repeatable mode (fixed noise seeds, no dither), and the scattered claps and
# cheers are placed by a fixed pseudo-random sequence computed here.
set -euo pipefail
export LC_ALL=C

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$here/resources/sounds"
rate=22050

"$here/tools/install_packages.sh" sox espeak-ng

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"

# sox, repeatable and without dither. A step that clips stops the script.
sx() {
  local err
  err="$(sox -R -D -V2 --no-glob "$@" 2>&1)" || { echo "$err" >&2; return 1; }
  if [ -n "$err" ]; then
    printf '%s\n  in: sox %s\n' "$err" "$*" >&2
    if grep -q clipped <<<"$err"; then return 1; fi
  fi
}
# Float arithmetic: calc EXPR prints EXPR with three decimals.
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }

# A fixed pseudo-random sequence (the classic C library generator); rnd N
# sets $r to a number from 0 to N-1.
seed=20250611
rnd() {
  seed=$(( (seed * 1103515245 + 12345) % 2147483648 ))
  r=$(( (seed / 65536) % $1 ))
}

# tone FILE SYNTH-ARGS...: a generated sound at the working rate.
tone() { local f="$1"; shift; sx -n -r $rate -c 1 "$work/$f.wav" "$@"; }

# bell FILE FREQ LENGTH: a struck chime, the fundamental with two softer
# partials, ringing out over LENGTH seconds.
bell() {
  local f="$1" hz="$2" len="$3" h
  for h in 1 2 3; do
    tone "$f.p$h" synth "$len" sine "$(calc "$hz * $h * (1 + ($h - 1) * 0.002)")" \
      fade l 0.004 "$len" "$(calc "$len * (1.0 - 0.12 * $h)")"
  done
  sx -m -v 0.65 "$work/$f.p1.wav" -v 0.23 "$work/$f.p2.wav" -v 0.08 "$work/$f.p3.wav" "$work/$f.wav"
}

# at FILE START...: FILE delayed by START seconds (written as FILE@START).
at() { sx "$work/$1.wav" "$work/$1@$2.wav" pad "$2"; }

# mixat OUT FILE START [FILE START]...: the files mixed, each started at its
# own time.
mixat() {
  local o="$1" args=()
  shift
  while [ $# -gt 0 ]; do
    at "$1" "$2"
    args+=("$work/$1@$2.wav")
    shift 2
  done
  if [ ${#args[@]} -eq 1 ]; then
    cp "${args[0]}" "$work/$o.wav"
  else
    sx -m "${args[@]}" "$work/$o.wav"
  fi
}

# say FILE VOICE PITCH SPEED TEXT: speech, with the silence around it cut.
say() {
  espeak-ng -v "$2" -p "$3" -s "$4" -w "$work/$1.raw.wav" "$5"
  sx "$work/$1.raw.wav" -r $rate "$work/$1.cut.wav" \
    silence 1 0.005 0.3% reverse silence 1 0.005 0.3% reverse
  sx "$work/$1.cut.wav" "$work/$1.wav" fade q 0.008 0 0.03
}

# finish NAME SOURCE PEAK-DB [RATE]: the delivered file, normalised to its
# peak level, with short fades so that it never starts or stops with a click.
finish() {
  sx "$work/$2.wav" -r "${4:-$rate}" -c 1 -b 16 -e signed-integer "$work/out/$1.wav" \
    fade q 0.003 0 0.01 gain -n "$3"
}

# applause FILE LENGTH-MS CLAPS: many single claps scattered over the length,
# each a short band of noise cut from its own place in one long noise, in a
# small room.
applause() {
  local f="$1" len_ms="$2" n="$3" i args=() dur centre width vol start from
  tone "$f.noise" synth 4 whitenoise
  tone "$f.bed" trim 0 "$(calc "$len_ms / 1000")"
  args+=("$work/$f.bed.wav")
  for i in $(seq 1 "$n"); do
    rnd 20; dur=$(calc "0.012 + $r * 0.001")
    rnd 1600; centre=$((900 + r))
    rnd 800; width=$((500 + r))
    rnd 70; vol=$(calc "0.3 + $r / 100")
    rnd 3900; from=$(calc "$r / 1000")
    rnd "$len_ms"; start=$(calc "$r / 1000")
    sx "$work/$f.noise.wav" "$work/$f.c$i.wav" trim "$from" "$dur" \
      sinc -n 64 "$((centre - width / 2))-$((centre + width / 2))" \
      fade l 0 "$dur" "$(calc "$dur - 0.001")" vol "$vol"
    at "$f.c$i" "$start"
    args+=("$work/$f.c$i@$start.wav")
  done
  sx -m "${args[@]}" "$work/$f.raw.wav"
  sx "$work/$f.raw.wav" "$work/$f.room.wav" reverb 30 50 40 gain -n -3
  sx "$work/$f.room.wav" "$work/$f.wav" trim 0 "$(calc "$len_ms / 1000")" fade h 0.25 "$(calc "$len_ms / 1000")" "$(calc "$len_ms / 2500")"
}

# ---- Game cues --------------------------------------------------------------

# place: a soft wooden click.
tone place.tick synth 0.05 sine 1100 fade l 0.001 0.05 0.049
tone place.hit synth 0.006 brownnoise fade l 0 0.006 0.005
sx -m -v 0.66 "$work/place.tick.wav" -v 0.33 "$work/place.hit.wav" "$work/place.wav" lowpass 3500
finish place place -8

# clear: a quick downward sweep.
tone clear synth 0.24 sine 1400:320 fade h 0.02 0.24 0.12
finish clear clear -5

# entered: a doorbell, ding-dong.
bell entered.ding 659.26 0.6
bell entered.dong 523.25 0.75
mixat entered entered.ding 0 entered.dong 0.3
finish entered entered -3

# goodword: a rising two-note chime.
bell good.lo 1046.5 0.4
bell good.hi 1567.98 0.5
mixat goodword good.lo 0 good.hi 0.12
finish goodword goodword -3

# badword: a low buzz.
tone bad.a synth 0.38 square 98 fade t 0.01 0.38 0.1
tone bad.b synth 0.38 sawtooth 104 fade t 0.01 0.38 0.1
sx -m "$work/bad.a.wav" "$work/bad.b.wav" "$work/badword.wav" lowpass 700 lowpass 900
finish badword badword -5

# shift: a card slid away, a short swish of noise.
tone shift synth 0.2 pinknoise gain -6 sinc -n 128 1200-5000 fade h 0.05 0.2 0.13
finish shift shift -6

# timer: a clock tick.
tone timer.tick synth 0.03 sine 2600 fade l 0 0.03 0.029
tone timer.hit synth 0.004 whitenoise fade l 0 0.004 0.003
sx -m -v 0.7 "$work/timer.tick.wav" -v 0.28 "$work/timer.hit.wav" "$work/timer.wav" highpass 300
finish timer timer -7

# turn (classic): three plucked notes rising, G4 C5 E5.
tone turn.1 synth 0.7 pluck 392.00 fade l 0.002 0.7 0.66
tone turn.2 synth 0.62 pluck 523.25 fade l 0.002 0.62 0.58
tone turn.3 synth 0.55 pluck 659.26 fade l 0.002 0.55 0.51
mixat turn.raw turn.1 0 turn.2 0.08 turn.3 0.16
sx "$work/turn.raw.wav" "$work/turn.wav" lowpass 3000
finish turn turn -3

# turnnew: two short bright beeps, bip-bip.
tone tnew.beep synth 0.09 sine 1318.5 synth 0.09 sine mix 2637 fade h 0.008 0.09 0.04
mixat turnnew tnew.beep 0 tnew.beep 0.15
finish turnnew turnnew -5

# roundover: three chimes falling, G5 E5 C5, the last ringing out.
bell ro.1 783.99 0.5
bell ro.2 659.26 0.5
bell ro.3 523.25 0.85
mixat roundover ro.1 0 ro.2 0.22 ro.3 0.44
finish roundover roundover -3

# gameover: a short fanfare, C5 E5 G5 and a held C6.
for n in 1 2 3 4; do
  case $n in 1) hz=523.25 len=0.2 ;; 2) hz=659.26 len=0.2 ;; 3) hz=783.99 len=0.2 ;; 4) hz=1046.5 len=0.75 ;; esac
  tone go.$n.a synth $len sawtooth $hz fade h 0.01 $len "$(calc "$len * 0.6")"
  tone go.$n.b synth $len square "$(calc "$hz * 1.003")" fade h 0.01 $len "$(calc "$len * 0.6")"
  sx -m "$work/go.$n.a.wav" "$work/go.$n.b.wav" "$work/go.$n.wav" lowpass 2200
done
mixat gameover go.1 0 go.2 0.15 go.3 0.3 go.4 0.45
finish gameover gameover -3

# winner: a quick sparkle of three high chimes.
bell win.1 2093.0 0.35
bell win.2 2637.0 0.35
bell win.3 3136.0 0.4
mixat winner win.1 0 win.2 0.06 win.3 0.12
finish winner winner -6

# ---- Chatter sounds ---------------------------------------------------------

# The spoken ones: number, voice, pitch, speed, text. 1 Doh, 3 Hello,
# 4 Thank You, 5 Where have you been?, 8 Sorry, 9 Welcome, 10 Yeehaa,
# 11 Yippee, 12 Oh No.
while IFS='|' read -r n voice pitch speed text; do
  say "w$n" "$voice" "$pitch" "$speed" "$text"
  finish "wave$n" "w$n" -1
done <<'EOF'
1|en-us+m3|35|150|Doh!
3|en-us|50|160|Hello!
4|en-us+f3|55|150|Thank you!
5|en-us+m3|50|150|Where have you been?
8|en-gb+f2|50|140|Sorry!
9|en-us|55|150|Welcome!
10|en-us+m3|75|170|Yee haaw!
11|en-us+f4|85|170|Yippee!
12|en-us+m2|40|110|Oh no!
EOF

# 2 Cough: three throaty bursts of noise.
for i in 1 2 3; do
  tone cough.n$i synth 0.22 pinknoise gain -6 sinc -n 128 250-2800 overdrive 8 fade l 0.005 0.22 0.2
  tone cough.v$i synth 0.12 sawtooth $((120 + 8 * i)) fade l 0.005 0.12 0.11
  sx -m -v 0.8 "$work/cough.n$i.wav" -v 0.2 "$work/cough.v$i.wav" "$work/cough.$i.wav"
done
mixat w2 cough.1 0 cough.2 0.3 cough.3 0.55
finish wave2 w2 -1

# 6 Snoring: twice a rattling breath in and a soft breath out.
tone snore.in synth 1.3 brownnoise gain -6 lowpass 500 synth 1.3 sine amod 32 fade h 0.5 1.3 0.45
tone snore.out synth 1.0 pinknoise gain -6 sinc -n 128 250-1200 fade h 0.2 1.0 0.7 vol 0.35
mixat w6 snore.in 0 snore.out 1.35 snore.in 2.6 snore.out 3.95
finish wave6 w6 -1 11025

# 7 Sneezing: ah... ah... and a burst, choo.
say sneeze.a1 en-us+m3 45 120 "Ah,"
say sneeze.a2 en-us+m3 80 110 "Ahh,"
say sneeze.choo en-us+m3 60 220 "choo!"
tone sneeze.burst synth 0.3 whitenoise gain -6 highpass 1800 fade l 0.003 0.3 0.27
sx -m -v 0.4 "$work/sneeze.choo.wav" -v 0.6 "$work/sneeze.burst.wav" "$work/sneeze.c.wav"
mixat w7 sneeze.a1 0 sneeze.a2 0.45 sneeze.c 1.1
finish wave7 w7 -1

# 13 Applause
applause w13 2400 260
finish wave13 w13 -1

# 14 Honk: a car horn, honk hoonk.
for n in 1 2; do
  len=$([ $n -eq 1 ] && echo 0.3 || echo 0.6)
  tone honk.$n.a synth $len sawtooth 415
  tone honk.$n.b synth $len sawtooth 523
  sx -m "$work/honk.$n.a.wav" "$work/honk.$n.b.wav" "$work/honk.$n.wav" \
    overdrive 12 gain -6 sinc -n 128 300-3000 fade h 0.015 $len 0.04
done
mixat w14 honk.1 0 honk.2 0.42
finish wave14 w14 -1

# 15 Oooh: a few voices together.
say ooh.1 en-us+m3 40 90 "Ooooh!"
say ooh.2 en-us+f3 70 90 "Ooooh!"
say ooh.3 en-us+m5 55 85 "Ooooh!"
mixat w15 ooh.1 0 ooh.2 0.04 ooh.3 0.09
finish wave15 w15 -1

# 16 Razzberry: a fluttering buzz of the lips.
tone razz.buzz synth 1.1 sawtooth 95:70 synth 1.1 sine amod 27
tone razz.air synth 1.1 pinknoise gain -6 sinc -n 128 400-3000
sx -m -v 0.74 "$work/razz.buzz.wav" -v 0.26 "$work/razz.air.wav" "$work/w16.wav" \
  overdrive 4 gain -4 lowpass 1800 fade q 0.04 1.1 0.3
finish wave16 w16 -1

# 17 Cheer: a crowd shouting over applause.
say cheer.1 en-us+f3 80 180 "Yay!"
say cheer.2 en-us+m3 45 170 "Hooray!"
say cheer.3 en-us+f4 75 190 "Woo hoo!"
say cheer.4 en-us+m2 55 170 "Yeah!"
say cheer.5 en-us+f2 90 200 "Yay!"
applause cheer.claps 1700 170
mixat cheer.voices cheer.1 0.05 cheer.2 0 cheer.3 0.2 cheer.4 0.35 cheer.5 0.5
sx -m -v 0.6 "$work/cheer.voices.wav" -v 0.4 "$work/cheer.claps.wav" "$work/w17.wav"
finish wave17 w17 -1

# 18 Woman Laughing
say w18.raw en-us+f3 85 200 "ha ha ha ha ha ha!"
sx "$work/w18.raw.wav" "$work/w18.wav" tremolo 9 30
finish wave18 w18 -1

# 19 Man Laughing
say w19.raw en-us+m3 25 170 "ho ho ho! ha ha ha!"
sx "$work/w19.raw.wav" "$work/w19.wav" tremolo 7 25
finish wave19 w19 -1

# 20 Crying: a wail and a sob.
say w20.raw en-us+f2 90 110 "Waaaah! Boo hoo hoo hoo!"
sx "$work/w20.raw.wav" "$work/w20.wav" tremolo 6 45
finish wave20 w20 -1

# ---- Delivered --------------------------------------------------------------

cat > "$work/out/COPYING" <<'EOF'
The sounds in this folder (*.wav) were generated for this project by
tools/make_sounds.sh, from synthesised tones, noise and filters (sox) and
synthesised speech (espeak-ng). They contain no recordings made by others.
They are this project's own work, under the same terms as the rest of it.
EOF

mkdir -p "$out"
chmod 644 "$work/out/"*
cp "$work/out/"* "$out/"
for f in "$work/out/"*.wav; do
  printf '%-14s %s s\n' "$(basename "$f")" "$(soxi -D "$f")"
done
echo "$out: $(ls "$work/out/"*.wav | wc -l) sounds, $(du -cb "$work/out/"*.wav | tail -1 | cut -f1) bytes"
