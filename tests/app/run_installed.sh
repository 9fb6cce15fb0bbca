#!/usr/bin/env bash
# Runs installed programs as a player would: both answer --version without a
# display, and a gorse joins a game hosted by gorse-host over loopback and
# logs in. The settings and the tally go to a home folder of its own.
# Usage: run_installed.sh BIN_DIR VERSION
set -euo pipefail

bin="$1"
version="$2"
scratch="$(mktemp -d)"
host_pid=""
player_pid=""
cleanup() {
  for pid in $player_pid $host_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$scratch"
}
trap cleanup EXIT
export HOME="$scratch/home"
export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config"
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

for program in gorse gorse-host; do
  if ! said="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/$program" --version)"; then
    echo "$bin/$program --version failed"
    exit 1
  fi
  if [ "$said" != "$program $version" ]; then
    echo "$bin/$program --version says \"$said\", not \"$program $version\""
    exit 1
  fi
done

# Waits up to thirty seconds for COMMAND to succeed while process PID runs.
await() {
  local pid="$1"
  shift
  for _ in $(seq 300); do
    if "$@"; then
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  "$@"
}
listening() {
  port="$(sed -n 's/.*event=listen port=\([0-9]*\) .*/\1/p' "$scratch/host.log")"
  [ -n "$port" ]
}
logged_in() { grep -q "event=login conn=[0-9]* name=Tester " "$scratch/host.log"; }

"$bin/gorse-host" --port 0 --no-announce 2>"$scratch/host.log" &
host_pid=$!
if ! await "$host_pid" listening; then
  echo "$bin/gorse-host did not start listening:"
  cat "$scratch/host.log"
  exit 1
fi
QT_QPA_PLATFORM=offscreen "$bin/gorse" --port "$port" --no-announce Tester 127.0.0.1 false \
  >"$scratch/player.log" 2>&1 &
player_pid=$!
if ! await "$player_pid" logged_in; then
  echo "$bin/gorse did not log in to $bin/gorse-host. The host said:"
  cat "$scratch/host.log"
  echo "The player said:"
  cat "$scratch/player.log"
  exit 1
fi
echo "$bin: both programs run, and a player joined the host"
