#!/usr/bin/env bash
# Runs one command on a private X server under a small window manager, as on a desktop:
# the command's windows get a real frame that the manager reports some time after mapping.
#
#   scripts/wm-test-env.sh COMMAND [ARG...]
#
# Xvfb picks a free display number itself; openbox runs with its stock settings, whatever
# the user's own are. Both are stopped, and their folder removed, however the command ends.
# The command's exit status is this script's.
set -euo pipefail

for tool in Xvfb openbox; do
  if ! command -v "$tool" >/dev/null; then
    echo "wm-test-env: $tool is missing; scripts/setup.sh installs it" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kolvara-wm.XXXXXX")
xvfb_pid=""
wm_pid=""
stop() {
  local pid
  for pid in $wm_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap stop EXIT
trap 'exit 130' INT TERM

# Waits up to 10 s for a file to have content, as long as the process that writes it lives.
await() {
  local file=$1 pid=$2 what=$3 log=$4
  for _ in $(seq 100); do
    [ -s "$file" ] && return 0
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "wm-test-env: $what ended before it was ready:" >&2
      cat "$log" >&2
      exit 1
    fi
    sleep 0.1
  done
  echo "wm-test-env: $what not ready after 10 s:" >&2
  cat "$log" >&2
  exit 1
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
await "$work/display" "$xvfb_pid" Xvfb "$work/xvfb.log"
export DISPLAY=":$(head -n 1 "$work/display")"

# The manager runs the startup command once it manages the screen.
mkdir -p "$work/config"
XDG_CONFIG_HOME="$work/config" openbox --sm-disable --startup "sh -c 'echo > $work/wm-ready'" \
  >"$work/openbox.log" 2>&1 &
wm_pid=$!
await "$work/wm-ready" "$wm_pid" openbox "$work/openbox.log"

status=0
QT_QPA_PLATFORM=xcb "$@" || status=$?
exit "$status"
