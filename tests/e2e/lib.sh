# Helpers for the end-to-end tests: the real program in a real window,
# driven with xdotool. Every wait is on a condition, bounded in time.

# How long a wait may go on before the test gives up. Generous: it has to
# fit a cold start on a fresh machine (the first Wine programs in a new
# prefix take seconds each), and a condition that holds ends it at once.
PATIENCE=${ORVEL_E2E_PATIENCE:-90}

# wait_for SECONDS COMMAND...: true once COMMAND succeeds, false at the limit.
wait_for() {
  local limit=$1
  shift
  local deadline=$((SECONDS + limit))
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# The id of the first visible window whose name matches the pattern.
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }

has_window() { [[ -n "$(window_named "$1")" ]]; }

title_of() { xdotool getwindowname "$1" 2>/dev/null; }

title_is() { [[ "$(title_of "$1")" == "$2" ]]; }

file_holds() { [[ -f "$1" ]] && [[ "$(cat "$1")" == "$2" ]]; }

# The window is the active one; asked for again while it is not (the window
# manager may hand the activation elsewhere once more after a late map).
is_active() {
  [[ "$(xdotool getactivewindow 2>/dev/null)" == "$1" ]] && return 0
  timeout 10 xdotool windowactivate "$1" >/dev/null 2>&1
  return 1
}

# Takes the input focus away from the window and gives it back. Wine may
# miss an activation, or lose its own focus to a program it started that
# shows no window, while the display's focus stays on the window: then
# nothing tells Wine of it again until the focus really moves.
refocus() {
  local root
  root=$(xwininfo -root 2>/dev/null | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
  [[ -n "$root" ]] && timeout 10 xdotool windowfocus "$root" >/dev/null 2>&1
  timeout 10 xdotool windowfocus "$1" >/dev/null 2>&1
}

# Brings the window to the front and waits until it is there.
activate() { wait_for "$PATIENCE" is_active "$1" || fail "window $1 becomes active"; }

process_gone() { ! kill -0 "$1" 2>/dev/null; }

fail() {
  echo "FAIL: $*"
  local id
  for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    echo "  window on screen: '$(xdotool getwindowname "$id" 2>/dev/null)'"
  done
  if [[ -n "${ORVEL_SHOTS:-}" ]]; then
    import -window root "$ORVEL_SHOTS/failure-$(date +%s).png" 2>/dev/null || true
  fi
  exit 1
}

check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  "$@" || fail "$what"
  echo "ok: $what"
}

# use_program EXE WORK: the program under test, copied to WORK/Tools (its
# data folder goes beside it). A Windows build (.exe) runs under Wine and
# takes its paths in Windows form (Z:\...); the native one runs as it is.
use_program() {
  mkdir -p "$2/Tools"
  if [[ "$1" == *.exe ]]; then
    program=$2/Tools/orvel.exe
    launcher=(wine)
  else
    program=$2/Tools/orvel
    launcher=()
  fi
  cp "$1" "$program"
}

# The program's form of a path.
program_path() {
  if [[ "$program" == *.exe ]]; then
    printf 'Z:%s' "$(sed 's|/|\\|g' <<<"$1")"
  else
    printf '%s' "$1"
  fi
}

# start_program ARGS...: starts it in the background; $pid is its process.
start_program() {
  "${launcher[@]}" "$program" "$@" >/dev/null 2>&1 &
  pid=$!
}
