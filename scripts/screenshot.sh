#!/usr/bin/env bash
# Takes a screenshot of the real window under Xvfb with openbox.
# Usage: screenshot.sh VANTIRO_BINARY OUTPUT.png [ODBCINI]
set -euo pipefail
bin="$1"; out="$2"; ini="${3:-${ODBCINI:-}}"
export ODBCINI="$ini"
xvfb-run -a -s "-screen 0 640x400x24" bash -c '
  openbox > /dev/null 2>&1 &
  sleep 1
  "$0" > /dev/null 2>&1 &
  app=$!
  for i in $(seq 50); do
    id=$(xdotool search --name "^Vantiro$" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
    sleep 0.2
  done
  sleep 1
  import -frame -window "$id" "$1"
  kill $app
' "$bin" "$out"
