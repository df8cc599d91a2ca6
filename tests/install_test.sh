#!/usr/bin/env bash
# cmake --install puts the program, its desktop entry and its icons where a
# desktop finds them, and the entry's command starts the program.
# Usage: install_test.sh PATH/TO/vantiro (in its build directory)
set -euo pipefail
build="$(cd "$(dirname "$1")" && pwd)"
prefix="$(mktemp -d /tmp/vantiro-install.XXXXXX)"
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" > /dev/null
for f in bin/vantiro share/applications/vantiro.desktop share/icons/hicolor/16x16/apps/vantiro.png \
         share/icons/hicolor/32x32/apps/vantiro.png share/vantiro/fonts.conf share/vantiro/vantiro-window-16.png; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/vantiro.desktop"
grep -q '^Name\[ja\]=' "$prefix/share/applications/vantiro.desktop"
[ "$(identify -format '%wx%h' "$prefix/share/icons/hicolor/32x32/apps/vantiro.png")" = "32x32" ]
[ "$(identify -format '%wx%h' "$prefix/share/icons/hicolor/16x16/apps/vantiro.png")" = "16x16" ]

# Start the entry's command as a desktop would, and see the window appear.
cmd="$(sed -n 's/^Exec=//p' "$prefix/share/applications/vantiro.desktop")"
export PATH="$prefix/bin:$PATH" CMD="$cmd"
xvfb-run -a -s "-screen 0 640x480x24" bash -c '
  $CMD > /dev/null 2>&1 &
  app=$!
  for i in $(seq 100); do
    if xdotool search --name "^Vantiro$" > /dev/null 2>&1; then kill $app; exit 0; fi
    sleep 0.1
  done
  kill $app 2>/dev/null
  echo "no window appeared"
  exit 1
'
echo "installed entry started the program"
