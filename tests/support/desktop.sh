#!/usr/bin/env bash
# One X server and one fresh Wine prefix for a test run.
#   desktop.sh start        make $PENNORA_RUN_DIR, start Xvfb, make the prefix
#   desktop.sh exec CMD...  run CMD on that display in that prefix
#   desktop.sh stop         end Wine and Xvfb
set -euo pipefail
run="${PENNORA_RUN_DIR:?}"

wine_environment() {
  export DISPLAY
  DISPLAY=$(cat "$run/display")
  export WINEPREFIX="$run/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
         LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 PENNORA_RUN_DIR="$run"
}

case "${1:-}" in
start)
  "$0" stop >/dev/null 2>&1 || true
  rm -rf "$run" && mkdir -p "$run/shots"
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >"$run/xvfb.log" 2>&1 &
    echo $! >"$run/xvfb.pid"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if [ -e "/tmp/.X11-unix/X$n" ]; then echo ":$n" >"$run/display"; break; fi
  done
  [ -f "$run/display" ] || { echo "desktop: could not start Xvfb" >&2; exit 1; }
  wine_environment
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
  if [ -f "$run/xvfb.pid" ]; then kill "$(cat "$run/xvfb.pid")" 2>/dev/null || true; rm -f "$run/xvfb.pid"; fi
  ;;
*)
  echo "usage: desktop.sh start|exec CMD...|stop" >&2; exit 2 ;;
esac
