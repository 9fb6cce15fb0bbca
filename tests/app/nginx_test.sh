#!/usr/bin/env bash
# The nginx example of the README (packaging/nginx-gorse.conf): nginx -t
# takes it inside a scratch configuration, with a certificate made for the
# test in place of the real one. Skipped (77) where nginx is not installed.
# Usage: nginx_test.sh SOURCE_DIR
set -euo pipefail

src="$1"
if ! command -v nginx >/dev/null 2>&1 && [ ! -x /usr/sbin/nginx ]; then
  echo "nginx is not installed (apt-get install nginx-light): the example is not checked"
  exit 77
fi
nginx="$(command -v nginx || echo /usr/sbin/nginx)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=games.example.org \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
sed -e "s#/etc/letsencrypt/live/games.example.org/fullchain.pem#$work/cert.pem#" \
    -e "s#/etc/letsencrypt/live/games.example.org/privkey.pem#$work/key.pem#" \
    "$src/packaging/nginx-gorse.conf" >"$work/gorse.conf"
mkdir -p "$work/temp"
cat >"$work/nginx.conf" <<CONF
pid $work/nginx.pid;
error_log $work/error.log;
events {}
http {
    access_log off;
    client_body_temp_path $work/temp/body;
    proxy_temp_path $work/temp/proxy;
    fastcgi_temp_path $work/temp/fastcgi;
    uwsgi_temp_path $work/temp/uwsgi;
    scgi_temp_path $work/temp/scgi;
    include $work/gorse.conf;
}
CONF
if ! out="$("$nginx" -t -q -p "$work" -c "$work/nginx.conf" 2>&1)" || [ -n "$out" ]; then
  echo "nginx -t: $out"
  exit 1
fi
echo "nginx example: ok"
