#!/usr/bin/env bash
# One desktop and one fresh Wine prefix for a test run: an X server (Xvfb)
# with a window manager (openbox), as a user's desktop has one, so windows
# are stacked, raised and activated as they are there.
#   desktop.sh start        make $PENNORA_RUN_DIR, start Xvfb and openbox, make the prefix
#   desktop.sh exec CMD...  run CMD on that display in that prefix
#   desktop.sh stop         end Wine, openbox and Xvfb
set -euo pipefail
run="${PENNORA_RUN_DIR:?}"

wine_environment() {
  export DISPLAY
  DISPLAY=$(cat "$run/display")
  export WINEPREFIX="$run/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
         LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 PENNORA_RUN_DIR="$run"
}

# The window manager announces itself on the root window once it manages
# the screen; nothing is shown before that. Debian's own configuration, not
# the user's, so every run has the same one.
start_window_manager() {
  openbox --config-file /etc/xdg/openbox/rc.xml --sm-disable >"$run/openbox.log" 2>&1 &
  echo $! >"$run/openbox.pid"
  for _ in $(seq 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    kill -0 "$(cat "$run/openbox.pid")" 2>/dev/null || break
    sleep 0.1
  done
  echo "desktop: the window manager did not start (see $run/openbox.log)" >&2
  exit 1
}

x_server_answers() {
  kill -0 "$(cat "$run/xvfb.pid")" 2>/dev/null && xprop -display "$1" -root >/dev/null 2>&1
}

stop_process() {
  if [ -f "$1" ]; then kill "$(cat "$1")" 2>/dev/null || true; rm -f "$1"; fi
}

case "${1:-}" in
start)
  "$0" stop >/dev/null 2>&1 || true
  rm -rf "$run" && mkdir -p "$run/shots"
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    # -noreset: by default the server resets when its last client leaves,
    # and a program connecting meanwhile (the window manager after the
    # readiness check below) is refused.
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >"$run/xvfb.log" 2>&1 &
    echo $! >"$run/xvfb.pid"
    # Ready when it answers, not when its socket appears; and it must be
    # this one that answers (another run may have taken the number first).
    for _ in $(seq 200); do x_server_answers ":$n" && break; sleep 0.1; done
    if x_server_answers ":$n"; then echo ":$n" >"$run/display"; break; fi
    kill "$(cat "$run/xvfb.pid")" 2>/dev/null || true
  done
  [ -f "$run/display" ] || { echo "desktop: could not start Xvfb" >&2; exit 1; }
  wine_environment
  start_window_manager
  wineboot -i >"$run/wineboot.log" 2>&1
  wineserver -w
  echo "desktop: display $DISPLAY, prefix $WINEPREFIX"
  ;;
exec)
  shift
  wine_environment
  exec "$@"
  ;;
stop)
  if [ -f "$run/display" ]; then (wine_environment; wineserver -k) >/dev/null 2>&1 || true; fi
  stop_process "$run/openbox.pid"
  stop_process "$run/xvfb.pid"
  ;;
*)
  echo "usage: desktop.sh start|exec CMD...|stop" >&2; exit 2 ;;
esac
