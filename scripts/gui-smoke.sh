#!/usr/bin/env bash
# A smoke test of the desktop program under a real X server (xvfb-run), as a
# user would drive it: start stridewell-gui on a scratch Workspace whose
# settings point the Handicap Races dialog at a folder holding one sample
# card, open the dialog from the keyboard, pick the card in its list, add it,
# press Handicap, wait for the report, take a screenshot, then quit with
# Ctrl+Q and check the program ended with status 0.
#
#   scripts/gui-smoke.sh [STRIDEWELL-GUI] [SCREENSHOT.png]
#
# STRIDEWELL-GUI defaults to the one in build/release; the screenshot is kept
# (default: stridewell-gui-smoke.png in the temporary folder). Every wait is
# bounded; a failure names the step, keeps the screenshot of that moment and
# shows the end of the program's output. Needs xvfb-run, xdotool and
# ImageMagick (scripts/install-deps.sh).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

gui="${1:-${here}/build/release/src/gui/stridewell-gui}"
shot="${2:-${TMPDIR:-/tmp}/stridewell-gui-smoke.png}"
card="${here}/examples/plain/SAX0313.TCF"

if [ -z "${STRIDEWELL_SMOKE_DISPLAY:-}" ]; then
  for tool in xvfb-run xdotool import convert; do
    if ! command -v "${tool}" >/dev/null; then
      echo "gui-smoke: ${tool} is missing; run scripts/install-deps.sh" >&2
      exit 2
    fi
  done
  if [ ! -x "${gui}" ]; then
    echo "gui-smoke: ${gui}: no such program" >&2
    exit 2
  fi
  gui="$(cd "$(dirname "${gui}")" && pwd)/$(basename "${gui}")"
  # The whole run again inside a fresh X server of its own; the outer
  # timeout bounds it even if a step's own timeout failed to, and leaves
  # Ctrl+C to stop it.
  exec timeout --foreground -k 5 45 xvfb-run -a -s "-screen 0 1280x900x24" \
    env STRIDEWELL_SMOKE_DISPLAY=1 bash "$0" "${gui}" "${shot}"
fi

scratch="$(mktemp -d)"
log="${scratch}/gui.log"
pid=""
cleanup() {
  if [ -n "${pid}" ] && kill -0 "${pid}" 2>/dev/null; then kill "${pid}" 2>/dev/null || true; fi
  rm -rf "${scratch}"
}
trap cleanup EXIT

started=$SECONDS
# The whole test, from the start of the program to its end.
budget_end=$((SECONDS + 30))
say() { echo "gui-smoke: [$((SECONDS - started))s] $*"; }
fail() {
  import -window root "${shot}" 2>/dev/null || true
  echo "gui-smoke: FAILED: $*" >&2
  echo "gui-smoke: the screen at that moment: ${shot}" >&2
  if [ -s "${log}" ]; then
    echo "gui-smoke: the program's last output:" >&2
    tail -n 20 "${log}" >&2
  fi
  exit 1
}
# A command that fails unexpectedly is a failed step too, named.
set -E
trap 'fail "a step failed: ${BASH_COMMAND}"' ERR
# wait_for SECONDS WHAT COMMAND...: runs COMMAND every 0.1 s until it
# succeeds; fails the test after SECONDS (or when the whole test's time is
# up), or at once if the program ended or showed a message box.
wait_for() {
  local limit=$1 what=$2
  shift 2
  local from=${SECONDS} deadline=$((SECONDS + limit))
  if [ "${deadline}" -gt "${budget_end}" ]; then deadline=${budget_end}; fi
  until "$@"; do
    if ! kill -0 "${pid}" 2>/dev/null; then fail "the program ended while waiting for ${what}"; fi
    no_message_box "${what}"
    if [ "${SECONDS}" -ge "${deadline}" ]; then fail "no ${what} after $((SECONDS - from)) s"; fi
    sleep 0.1
  done
}
# xdotool, bounded: a --sync that never sees its event must not hang.
xdo() { timeout 5 xdotool "$@"; }
window_named() { timeout 5 xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true; }
has_window() { [ -n "$(window_named "$1")" ]; }
no_window() { [ -z "$(window_named "$1")" ]; }
has_report() { [ -s "${STRIDEWELL_HOME}/PREDICT/SAX0313.TXT" ]; }
# The empty frame shows the horse picture on its cream ground (#ECE4D2); a
# result window takes it away. screen_shows_picture counts those pixels.
picture_pixels() {
  import -window root "${shot}" &&
    convert "${shot}" -fill black +opaque '#ECE4D2' -fill white -opaque '#ECE4D2' -format '%[fx:round(mean*w*h)]' info:
}
screen_shows_picture() { [ "$(picture_pixels)" -gt 1000 ]; }
screen_hides_picture() { [ "$(picture_pixels)" -eq 0 ]; }
# A message box (error, warning or question) stops the test with its title.
no_message_box() {
  local box
  box="$(window_named '^(ERROR|Warning|Query)$')"
  if [ -n "${box}" ]; then
    fail "the program showed a \"$(xdo getwindowname "${box}")\" box while waiting for $1"
  fi
}

# A user of its own: Workspace, settings and a folder with one card, which
# the Handicap Races dialog opens on.
export STRIDEWELL_HOME="${scratch}/home" XDG_CONFIG_HOME="${scratch}/config"
cards="${scratch}/cards"
mkdir -p "${cards}" "${XDG_CONFIG_HOME}/Farrowmede"
cp "${card}" "${cards}/"
printf '[Settings]\nIMPORTDIR=%s\nMAXIMIZE=n\n' "${cards}" >"${XDG_CONFIG_HOME}/Farrowmede/Stridewell 5.conf"

say "start ${gui} on display ${DISPLAY}"
"${gui}" >"${log}" 2>&1 &
pid=$!

wait_for 10 "main window" has_window '^Stridewell 5$'
main="$(window_named '^Stridewell 5$')"
# Its menus are enabled once the start-up has run.
wait_for 10 "finished start-up" test -d "${STRIDEWELL_HOME}/PREDICT"
wait_for 5 "picture on the empty frame" screen_shows_picture

say "open Handicap > Handicap Races"
open_dialog() {
  has_window '^Handicap Races$' && return 0
  xdo windowfocus --sync "${main}" key --clearmodifiers alt+h 2>/dev/null || true
  sleep 0.3
  xdo key --clearmodifiers h 2>/dev/null || true
  sleep 0.5
  has_window '^Handicap Races$'
}
wait_for 8 "Handicap Races dialog" open_dialog
dialog="$(window_named '^Handicap Races$')"

say "choose SAX0313.TCF in the dialog's card list, Add File, Handicap"
eval "$(xdo getwindowgeometry --shell "${dialog}")"
# The card list fills the lower half of the dialog's left column: a click
# there gives it the focus, Home selects its first line (the card folder
# holds the one card and no folder), Alt+A adds it and Alt+H starts the run.
xdo mousemove --sync $((X + WIDTH / 5)) $((Y + HEIGHT * 4 / 5)) click 1
sleep 0.2
xdo key --clearmodifiers Home
sleep 0.2
xdo key --clearmodifiers alt+a
sleep 0.3
xdo key --clearmodifiers alt+h
wait_for 15 "report PREDICT/SAX0313.TXT" has_report
wait_for 5 "dialog closed" no_window '^Handicap Races$'
wait_for 5 "result window over the frame's picture" screen_hides_picture
colours="$(convert "${shot}" -format '%k' info:)"
if [ "${colours}" -lt 32 ]; then fail "the screenshot is blank (${colours} colours)"; fi
say "report written ($(wc -l <"${STRIDEWELL_HOME}/PREDICT/SAX0313.TXT") lines), screenshot ${shot} (${colours} colours)"

say "quit with Ctrl+Q"
xdo windowfocus --sync "${main}" key --clearmodifiers ctrl+q
deadline=$((SECONDS + 5))
while kill -0 "${pid}" 2>/dev/null; do
  if [ "${SECONDS}" -ge "${deadline}" ]; then fail "the program is still running 5 s after Ctrl+Q"; fi
  sleep 0.1
done
status=0
wait "${pid}" || status=$?
pid=""
if [ "${status}" -ne 0 ]; then fail "the program ended with status ${status}"; fi
say "passed"
