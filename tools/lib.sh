# Shared by tools/test and tools/start; sourced, not run.

VISTREL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Configure and build into $1 with the mingw-w64 toolchain.
vistrel_build() {
  local build=$1
  mkdir -p "$build"
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$VISTREL_ROOT" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel \
      -DCMAKE_TOOLCHAIN_FILE="$VISTREL_ROOT/cmake/mingw-w64-x86_64.cmake" \
      -DVISTREL_TESTS=ON >"$build/configure.log" 2>&1 \
      || { cat "$build/configure.log" >&2; return 1; }
  fi
  cmake --build "$build" -j "$(nproc)"
}

# Start a private Xvfb on the first free display from :90 up; sets
# VISTREL_XVFB_PID and DISPLAY. Xvfb's own lock file settles races between
# two runs that pick the same number: the loser exits and we try the next.
vistrel_start_xvfb() {
  local n log
  for n in $(seq 90 189); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    log=$(mktemp)
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -ac >"$log" 2>&1 &
    VISTREL_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      if ! kill -0 "$VISTREL_XVFB_PID" 2>/dev/null; then break; fi
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        # Only ours if the lock names our pid.
        if [ "$(tr -d ' ' <"/tmp/.X$n-lock" 2>/dev/null)" = "$VISTREL_XVFB_PID" ]; then
          rm -f "$log"
          export DISPLAY=":$n"
          return 0
        fi
        break
      fi
      sleep 0.1
    done
    kill "$VISTREL_XVFB_PID" 2>/dev/null
    wait "$VISTREL_XVFB_PID" 2>/dev/null
    rm -f "$log"
  done
  echo "no free X display between :90 and :189" >&2
  return 1
}

vistrel_stop_xvfb() {
  if [ -n "${VISTREL_XVFB_PID:-}" ]; then
    kill "$VISTREL_XVFB_PID" 2>/dev/null
    wait "$VISTREL_XVFB_PID" 2>/dev/null
    VISTREL_XVFB_PID=
  fi
}

# Stop the wineserver of one prefix only; other runs keep theirs.
vistrel_stop_wine() {
  [ -d "$1" ] && WINEPREFIX=$1 wineserver -k 2>/dev/null
  return 0
}

# ---- Two monitors -----------------------------------------------------------
# vistrel_start_dual_display PREFIX: a second private Xvfb on which Wine sees
# two monitors of different sizes, a 1280x1024 primary at 0,0 and a 1024x768
# one to its right, and the Wine prefix PREFIX for it (tools/wine-prefix-dual).
# Exports VISTREL_DUAL_DISPLAY and VISTREL_DUAL_WINEPREFIX, which tools/wine-run
# uses for tests that have VISTREL_TWO_MONITORS=1.
vistrel_start_dual_display() {
  VISTREL_DUAL_WINEPREFIX=$1
  vistrel_stop_wine "$VISTREL_DUAL_WINEPREFIX"
  vistrel_start_two_monitor_xvfb || return 1
  DISPLAY=$VISTREL_DUAL_DISPLAY bash "$VISTREL_ROOT/tools/wine-prefix-dual" "$VISTREL_DUAL_WINEPREFIX" || return 1
  export VISTREL_DUAL_WINEPREFIX=$(cd "$VISTREL_DUAL_WINEPREFIX" && pwd)
}

vistrel_start_two_monitor_xvfb() {
  local n i
  for n in $(seq 90 189); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    # -noreset keeps the monitors when the last client leaves.
    Xvfb ":$n" -screen 0 2304x1024x24 -nolisten tcp -ac -noreset >/dev/null 2>&1 &
    VISTREL_DUAL_XVFB_PID=$!
    for i in $(seq 1 100); do
      kill -0 "$VISTREL_DUAL_XVFB_PID" 2>/dev/null || break
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        if [ "$(tr -d ' ' <"/tmp/.X$n-lock" 2>/dev/null)" = "$VISTREL_DUAL_XVFB_PID" ]; then
          export VISTREL_DUAL_DISPLAY=":$n"
          vistrel_set_two_monitors "$VISTREL_DUAL_DISPLAY" && return 0
          kill "$VISTREL_DUAL_XVFB_PID" 2>/dev/null
          wait "$VISTREL_DUAL_XVFB_PID" 2>/dev/null
          VISTREL_DUAL_XVFB_PID=
          return 1
        fi
        break
      fi
      sleep 0.1
    done
    kill "$VISTREL_DUAL_XVFB_PID" 2>/dev/null
    wait "$VISTREL_DUAL_XVFB_PID" 2>/dev/null
  done
  echo "no free X display between :90 and :189 for two monitors" >&2
  return 1
}

# Monitors outlive the clients that set them: leftovers go first, or Wine may
# see overlapping ones.
vistrel_set_two_monitors() {
  local d=$1 m
  for m in left right; do xrandr -d "$d" --delmonitor "$m" >/dev/null 2>&1; done
  xrandr -d "$d" --setmonitor '*left' 1280/338x1024/270+0+0 screen >/dev/null 2>&1 \
    && xrandr -d "$d" --setmonitor right 1024/270x768/203+1280+0 none >/dev/null 2>&1 \
    && [ "$(xrandr -d "$d" --listmonitors | head -n1)" = "Monitors: 2" ] \
    || { echo "xrandr could not set two monitors on $d" >&2; return 1; }
}

# Stops the prefix's wineserver and the display; keeps the caller's exit
# status, so it can run before an EXIT trap's own handler.
vistrel_stop_dual_display() {
  local rc=$?
  [ -n "${VISTREL_DUAL_WINEPREFIX:-}" ] && vistrel_stop_wine "$VISTREL_DUAL_WINEPREFIX"
  if [ -n "${VISTREL_DUAL_XVFB_PID:-}" ]; then
    kill "$VISTREL_DUAL_XVFB_PID" 2>/dev/null
    wait "$VISTREL_DUAL_XVFB_PID" 2>/dev/null
    VISTREL_DUAL_XVFB_PID=
  fi
  return "$rc"
}
