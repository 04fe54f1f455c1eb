# Helpers for the end-to-end tests: the real program in a real window,
# driven with xdotool. Every wait is on a condition, bounded in time.

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
