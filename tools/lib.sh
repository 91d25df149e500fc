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
