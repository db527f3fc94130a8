#!/usr/bin/env bash
# End-to-end check of recovery copies on a virtual display: type into a score,
# wait for the copy, kill -9 the editor, start it again and answer the
# question with "Récupérer", "Ignorer", "Supprimer"; then a damaged copy.
#   tests/e2e/recovery-e2e.sh [BUILD_DIR] [SHOT_DIR]
# Needs xvfb-run, xdotool and (for the screenshots) ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/../.."
build="$(cd "${1:-build}" && pwd)"
shots="${2:-}"
if [ -z "${DISPLAY:-}" ] || [ -z "${RECOVERY_E2E_INNER:-}" ]; then
  exec env RECOVERY_E2E_INNER=1 xvfb-run -a -s "-screen 0 1600x1000x24" "$0" "$build" "$shots"
fi

unset QT_QPA_PLATFORM # the window must show on the virtual display
bin="$build/fretlark"
work="$(mktemp -d)"
trap 'kill -9 $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" FRETLARK_AUTOSAVE_MS=2000 FRETLARK_AUDIO=null
folder="$XDG_DATA_HOME/Fretlark/Fretlark/recovery"
score="$work/riff.tbf"
cp examples/premier-riff.tbf "$score"

fail() { echo "recovery-e2e: FAILED: $*" >&2; exit 1; }
shot() { [ -n "$shots" ] && import -window root "$shots/$1.png" || true; }
# Waits (up to 30 s) for a window whose title matches $1, and prints its id.
window() {
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  fail "no window \"$1\""
}
keys() { xdotool windowfocus --sync "$1" 2>/dev/null || true; shift; xdotool key --delay 80 "$@"; }
copies() { ls "$folder"/*.tbf 2>/dev/null || true; }
waitFor() { for _ in $(seq 300); do eval "$1" && return; sleep 0.1; done; fail "$2"; }

# 1. Type, wait for the copy, kill -9.
"$bin" "$score" & pid=$!
w=$(window "Fretlark")
sleep 1
keys "$w" 7 Right 5
waitFor '[ -n "$(copies)" ]' "no recovery copy was written"
sleep 0.5
copy=$(copies)
"$bin" --dump "$copy" > "$work/typed.json"
grep -q '"fret":7' "$work/typed.json" || fail "the copy does not hold the typed fret"
shot 1-typed
kill -9 $pid; wait $pid 2>/dev/null || true
[ -f "$copy" ] || fail "kill -9 took the copy away"
[ -f "${copy%.tbf}.info" ] || fail "no side file"
grep -q "^path=$score\$" "${copy%.tbf}.info" || fail "the side file does not name the original"

# 2. Start again: "Récupérer" (the default button).
"$bin" & pid=$!
d=$(window "Récupération")
sleep 1
shot 2-question
keys "$d" Return
waitFor '! xdotool search --onlyvisible --name "Récupération" >/dev/null 2>&1' "the question stayed"
w=$(window "Fretlark")
sleep 1
shot 3-recovered
before=$(stat -c %Y.%s "$score")
sleep 1.1
keys "$w" ctrl+s
waitFor '[ "$(stat -c %Y.%s "$score")" != "$before" ]' "Ctrl+S did not write the original path"
"$bin" --dump "$score" > "$work/saved.json"
cmp -s "$work/typed.json" "$work/saved.json" || fail "the saved score differs from what was typed"
waitFor '[ -z "$(copies)" ]' "saving left the recovery copy"
kill -9 $pid; wait $pid 2>/dev/null || true
echo "recovery-e2e: recovered, same --dump, saved to the original path"

# 3. A new crash; "Ignorer" keeps the copy, "Supprimer" removes it.
"$bin" "$score" & pid=$!
w=$(window "Fretlark"); sleep 1
keys "$w" 9
waitFor '[ -n "$(copies)" ]' "no copy for the second crash"
sleep 0.5
kill -9 $pid; wait $pid 2>/dev/null || true
copy=$(copies)
"$bin" & pid=$!
d=$(window "Récupération")
keys "$d" alt+i
waitFor '! xdotool search --onlyvisible --name "Récupération" >/dev/null 2>&1' "Ignorer did not close the question"
[ -f "$copy" ] || fail "Ignorer lost the copy"
kill -9 $pid; wait $pid 2>/dev/null || true
"$bin" & pid=$!
d=$(window "Récupération")
keys "$d" alt+s
waitFor '[ ! -f "$copy" ]' "Supprimer kept the copy"
kill -9 $pid; wait $pid 2>/dev/null || true
echo "recovery-e2e: Ignorer keeps, Supprimer removes"

# 4. A damaged copy: its message, and it is kept aside.
mkdir -p "$folder"
printf '\003TBF\377\377' > "$folder/1-damaged.tbf"
printf 'Fretlark recovery 1\npath=/tmp/casse.tbf\ntime=1796711400\nversion=0.1.0\n' > "$folder/1-damaged.info"
"$bin" & pid=$!
d=$(window "Récupération")
keys "$d" Return
# The message box comes up over the main window, under the program's name too.
waitFor '[ "$(xdotool search --onlyvisible --name "^Fretlark" 2>/dev/null | wc -l)" -ge 2 ]' "no message about the damaged copy"
sleep 0.5
shot 4-damaged
[ -f "$folder/damaged/1-damaged.tbf" ] || fail "the damaged copy was not kept aside"
[ -f "$folder/damaged/1-damaged.info" ] || fail "the damaged copy's side file was not kept"
kill -9 $pid; wait $pid 2>/dev/null || true
echo "recovery-e2e: damaged copy said so and kept in $folder/damaged"
echo "recovery-e2e: all passed"
