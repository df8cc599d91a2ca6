#!/usr/bin/env bash
# The real program's minimize and restore under Xvfb with openbox: the window
# is minimized through the window manager (as its title-bar button does),
# must end iconic and stay so; it is restored from outside (activation, as a
# taskbar does), must end normal, where it was, and stay so; the zoom outline
# must show in the screenshots taken meanwhile; the program then still
# answers and closes normally.
# Usage: animwnd_real_test.sh PATH/TO/vantiro
# ANIMWND_SHOTS=DIR keeps the screenshots there.
set -euo pipefail
bin="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
work="$(mktemp -d /tmp/vantiro-animwnd.XXXXXX)"
trap 'rm -rf "$work"' EXIT
export WORK="$work" BIN="$bin" SHOTS="${ANIMWND_SHOTS:-}"
# Under a sanitizer build the exit code counts: what the session bus library
# that Qt's X11 platform loads keeps at exit is not the program's.
echo "leak:libdbus-1.so" > "$work/lsan.supp"
export LSAN_OPTIONS="suppressions=$work/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

xvfb-run -a -s "-screen 0 800x600x24" bash -euo pipefail -c '
openbox > /dev/null 2>&1 &
sleep 1

fail() {
  echo "FAIL: $*"
  tail -n 40 "$WORK/vantiro.log" || true
  import -window root "$WORK/failure.png" 2>/dev/null || true
  [ -n "$SHOTS" ] && cp "$WORK"/*.png "$SHOTS"/ 2>/dev/null
  exit 1
}
state() { xprop -id "$win" WM_STATE 2>/dev/null | sed -n "s/.*window state: //p"; }
wait_state() {  # wait_state Iconic|Normal
  for i in $(seq 100); do [ "$(state)" = "$1" ] && return 0; sleep 0.05; done
  return 1
}
geometry() { xdotool getwindowgeometry "$win" | sed -n "s/ *Position: \([0-9,]*\).*/\1/p"; }
# Screenshots for about half a second: the outline lasts about a fifth.
shots() { for k in $(seq 8); do import -window root "$WORK/$1-$k.png" 2>/dev/null || true; done; }
outline_pixels() { convert "$1" -fill black +opaque "#3060C0" -fill white -opaque "#3060C0" -format "%[fx:round(mean*w*h)]" info:; }

"$BIN" > "$WORK/vantiro.log" 2>&1 &
app=$!
for i in $(seq 150); do
  win=$(xdotool search --onlyvisible --name "^Vantiro\$" 2>/dev/null | head -n 1) && [ -n "$win" ] && break
  sleep 0.1
done
[ -n "${win:-}" ] || fail "no main window"
wait_state Normal || fail "window not normal at start"
sleep 0.5
import -window root "$WORK/start.png"
before=$(geometry)

for round in 1 2 3; do
  xdotool windowminimize "$win"
  shots "min$round"
  wait_state Iconic || fail "round $round: not iconic after the minimize"
  sleep 0.6
  [ "$(state)" = Iconic ] || fail "round $round: came back by itself"
  kill -0 "$app" 2> /dev/null || fail "round $round: program ended on minimize"

  xdotool windowactivate "$win" 2> /dev/null || true
  shots "res$round"
  wait_state Normal || fail "round $round: not normal after the restore"
  sleep 0.6
  [ "$(state)" = Normal ] || fail "round $round: went down again by itself"
  [ "$(geometry)" = "$before" ] || fail "round $round: moved from $before to $(geometry)"
done

seen=0
for f in "$WORK"/min*.png "$WORK"/res*.png; do
  n=$(outline_pixels "$f")
  [ "$n" -gt 100 ] && seen=$((seen + 1))
done
echo "screenshots showing the outline: $seen"
[ "$seen" -gt 0 ] || fail "the zoom outline never showed"

# Still working: the window is up and answers the close request of the
# window manager (nothing connected, so it closes at once) with exit code 0.
xwininfo -id "$win" | grep -q "IsViewable" || fail "window not viewable"
xdotool windowactivate --sync "$win" 2> /dev/null || true
xdotool key --clearmodifiers alt+F4  # the focused window; openbox closes it
for i in $(seq 100); do kill -0 "$app" 2> /dev/null || break; sleep 0.05; done
kill -0 "$app" 2> /dev/null && fail "program did not close"
status=0
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "program ended with $status"
[ -n "$SHOTS" ] && cp "$WORK"/*.png "$SHOTS"/
echo "ok"
'
