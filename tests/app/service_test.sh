#!/usr/bin/env bash
# The systemd unit packaging/gorse-host.service: systemd takes it as it
# stands (every directive known and well formed, its program there), and
# gorse-host starts with the unit's options and stops cleanly on SIGTERM.
# Usage: service_test.sh SOURCE_DIR BIN_DIR
set -euo pipefail

src="$1"
bin="$2"
unit="$src/packaging/gorse-host.service"
if ! command -v systemd-analyze >/dev/null 2>&1; then
  echo "systemd-analyze is not installed (apt-get install systemd): the unit is not checked"
  exit 77
fi
work="$(mktemp -d)"
pid=""
cleanup() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The unit names the installed program, which verify wants to find.
sed "s#/usr/games/gorse-host#$bin/gorse-host#" "$unit" >"$work/gorse-host.service"
# Any complaint fails the check, also those verify only reports; the manual
# page is not installed here.
if ! out="$(systemd-analyze verify --man=no "$work/gorse-host.service" 2>&1)" || [ -n "$out" ]; then
  echo "systemd-analyze verify: $out"
  exit 1
fi

# The unit's options, with free ports in place of its fixed ones.
args="$(sed -n 's#^ExecStart=/usr/games/gorse-host ##p' "$unit")"
[ -n "$args" ] || { echo "the unit has no ExecStart of /usr/games/gorse-host"; exit 1; }
args="$(sed -E 's/--(port|web) [0-9]+/--\1 0/g' <<<"$args")"
# shellcheck disable=SC2086 # the options are words
"$bin/gorse-host" $args 2>"$work/log" &
pid=$!
for _ in $(seq 200); do
  grep -q "event=web_listen " "$work/log" && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if ! grep -q "event=web_listen " "$work/log"; then
  echo "gorse-host $args did not start:"
  cat "$work/log"
  exit 1
fi
kill -TERM "$pid"
code=0
wait "$pid" || code=$?
pid=""
if [ "$code" -ne 0 ] || ! grep -q "event=exit " "$work/log"; then
  echo "gorse-host $args did not stop cleanly on SIGTERM (exit code $code):"
  cat "$work/log"
  exit 1
fi
echo "service: ok"
