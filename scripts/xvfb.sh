# shellcheck shell=bash
# The private X server of the scripts that run the tool without a display.
# Source it:
#
#   . scripts/xvfb.sh
#   lnf_xvfb_start SCREEN NUMBER_FILE LOG_FILE [--own-session]
#       Starts Xvfb with one screen of SCREEN (WxHxDEPTH), no TCP, and waits
#       until it answers. On success it sets lnf_xvfb_pid and
#       lnf_xvfb_display (":N") in the caller's shell and returns 0; on
#       failure it stops the server again and returns 1. Its output is
#       appended to LOG_FILE. --own-session starts it in a session of its
#       own, for a server that outlives the script that started it.
#
# The caller stops it by its process ID: kill "$lnf_xvfb_pid".

lnf_xvfb_start() {
  local screen="${1:?lnf_xvfb_start SCREEN NUMBER_FILE LOG_FILE [--own-session]}"
  local number_file="${2:?lnf_xvfb_start SCREEN NUMBER_FILE LOG_FILE [--own-session]}"
  local log="${3:?lnf_xvfb_start SCREEN NUMBER_FILE LOG_FILE [--own-session]}"
  local session=()
  [ "${4:-}" = --own-session ] && session=(setsid)
  lnf_xvfb_pid="" lnf_xvfb_display=""
  # Xvfb picks a free display number itself and writes it to fd 3 once it
  # takes connections: checking lock files first would race with other X
  # servers starting on this machine.
  : >"$number_file"
  "${session[@]}" Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp \
    3>"$number_file" </dev/null >>"$log" 2>&1 &
  local pid=$!
  local _
  for _ in $(seq 100); do
    [ -s "$number_file" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  local display
  display=":$(tr -dc 0-9 <"$number_file")"
  if [ "$display" = ":" ] || ! xdpyinfo -display "$display" >/dev/null 2>&1; then
    kill "$pid" 2>/dev/null || true
    return 1
  fi
  # shellcheck disable=SC2034 # read by the caller
  lnf_xvfb_pid="$pid" lnf_xvfb_display="$display"
}
