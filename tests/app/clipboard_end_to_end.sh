#!/bin/sh
# "quillmark clipboard" against a real X server (run under xvfb-run): SQL put on
# the clipboard with xclip must come back formatted after the program has
# ended, a keeper left behind must end once another program takes the
# clipboard, and a clipboard without text gives the message box, which is
# closed from here, and stays as it was.
# Usage: clipboard_end_to_end.sh <quillmark> <work folder>
set -u
app=$1
work=$2
rm -rf "$work"
mkdir -p "$work/run" "$work/data" "$work/config"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export QUILLMARK_CONFIG="$work/config/Quillmark.ini" HOME="$work"
marker="quillmark-e2e-$$"
# In a sanitizer build: libxkbcommon-x11 hands strndup() a buffer that is not
# NUL-terminated, which strict string checks flag inside the X connection's
# set-up; the rest of the checks stay on.
if [ -n "${ASAN_OPTIONS:-}" ]; then
  export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
fi

fail() { echo "FAIL: $*"; exit 1; }

# Whether a live process (not a zombie) carries this run's marker.
keeper_alive() {
  for dir in /proc/[0-9]*; do
    state=$(sed -n 's/^State:[[:space:]]*\([A-Z]\).*/\1/p' "$dir/status" 2>/dev/null)
    [ -n "$state" ] && [ "$state" != Z ] || continue
    tr '\0' '\n' < "$dir/environ" 2>/dev/null | grep -qx "QUILLMARK_E2E_MARK=$marker" && return 0
  done
  return 1
}

# The first window whose name matches, waiting up to 30 s for one. A search
# walks every window, and a window that closes under the walk ends the search
# with an X error: the search is made again.
find_window() { # name pattern, then search options
  pattern=$1
  shift
  for _ in $(seq 1 60); do
    found=$(xdotool search "$@" --name "$pattern" 2>/dev/null | head -n 1)
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.5
  done
  return 1
}

# The text without its blanks and line breaks, in upper case.
squeeze() { tr -d ' \n' | tr a-z A-Z; }

run_clipboard() {
  QUILLMARK_E2E_MARK=$marker timeout 60 "$app" clipboard
}

# 1. A one-line statement comes back formatted, also after the program ended.
input='select a, b from t where x = 1'
printf '%s' "$input" | xclip -selection clipboard -i || fail "xclip cannot set the clipboard"
run_clipboard; rc=$?
[ "$rc" -eq 0 ] || fail "exit status $rc"
output=$(timeout 10 xclip -selection clipboard -o) || fail "the clipboard is empty after the run"
[ "$(printf '%s\n' "$output" | wc -l)" -ge 3 ] || fail "not laid out on lines: $output"
case "$output" in SELECT*) ;; *) fail "keywords not capitalised: $output" ;; esac
[ "$(printf '%s' "$output" | squeeze)" = "$(printf '%s' "$input" | squeeze)" ] \
  || fail "words lost or changed: $output"
grep -q '^AppNameVer=Quillmark v 1.1' "$QUILLMARK_CONFIG" || fail "version not stored"
grep -q 'Options' "$QUILLMARK_CONFIG" || fail "options not saved"

# 2. The keeper ends as soon as another program takes the clipboard.
keeper_alive || echo "note: no keeper left (a clipboard manager took the text)"
printf 'other' | xclip -selection clipboard -i
for _ in $(seq 1 100); do keeper_alive || break; sleep 0.1; done
keeper_alive && fail "the keeper still runs after losing the clipboard"

# 3. Text outside ASCII travels whole.
input="select 'Grüße €' from dual"
printf '%s' "$input" | xclip -selection clipboard -i
run_clipboard || fail "exit status $? with non-ASCII text"
output=$(timeout 10 xclip -selection clipboard -o)
case "$output" in *"'Grüße €'"*) ;; *) fail "non-ASCII text changed: $output" ;; esac
printf 'other' | xclip -selection clipboard -i

# 4. A text larger than one X request (sent in pieces) travels whole both ways.
awk 'BEGIN { for (i = 0; i < 3000; i++) printf "select col_%d, other_%d from table_%d where x_%d = %d;\n", i, i, i, i, i }' \
  > "$work/big.sql"
xclip -selection clipboard -i "$work/big.sql"
run_clipboard || fail "exit status $? with a large text"
timeout 20 xclip -selection clipboard -o > "$work/big-out.sql" || fail "the large result cannot be read"
[ "$(squeeze < "$work/big-out.sql")" = "$(squeeze < "$work/big.sql")" ] || fail "the large text changed"
printf 'other' | xclip -selection clipboard -i

# 5. Text copied in the window stays on the clipboard after the window closed.
clipboard_holds() { # text: waits up to 5 s for the clipboard to hold it
  for _ in $(seq 1 50); do
    [ "$(timeout 5 xclip -selection clipboard -o 2>/dev/null)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
if command -v xdotool >/dev/null; then
  QUILLMARK_E2E_MARK=$marker "$app" &
  pid=$!
  window=$(find_window 'Quillmark' --onlyvisible)
  [ -n "$window" ] || { kill "$pid"; fail "no window"; }
  eval "$(xdotool getwindowgeometry --shell "$window")"
  # The input editor fills the right-hand part of the window.
  xdotool windowfocus --sync "$window"
  xdotool mousemove --window "$window" $((WIDTH * 3 / 4)) $((HEIGHT / 2)) click 1
  xdotool type --delay 5 'select 42 from dual'
  xdotool key ctrl+a ctrl+c
  if clipboard_holds 'select 42 from dual'; then
    "$app" Close || fail "the close request failed"
    wait "$pid" || fail "the window ended with status $?"
    clipboard_holds 'select 42 from dual' || fail "the copied text went with the window"
  else
    echo "note: could not type into the window; the copy case was left out"
    "$app" Close
    wait "$pid"
  fi
  printf 'other' | xclip -selection clipboard -i
fi

# 6. No text on the clipboard: the message box, closed from here; the
#    clipboard keeps what it held.
if ! command -v xdotool >/dev/null; then
  echo "clipboard end to end: passed (no xdotool: the no-text case was left out)"
  exit 0
fi
printf '\211PNG\r\n' > "$work/picture.png"
xclip -selection clipboard -t image/png -i "$work/picture.png"
QUILLMARK_E2E_MARK=$marker timeout 60 "$app" clipboard &
pid=$!
window=$(find_window '^Quillmark$')
[ -n "$window" ] || { kill "$pid"; fail "no message box"; }
xdotool key --window "$window" Return || xdotool windowclose "$window"
wait "$pid"; rc=$?
[ "$rc" -eq 0 ] || fail "exit status $rc after the message box"
timeout 10 xclip -selection clipboard -o -t TARGETS | grep -q 'image/png' \
  || fail "the picture was taken off the clipboard"
echo "clipboard end to end: passed"
