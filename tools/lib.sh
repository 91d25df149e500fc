# Shared by tools/test, tools/start and tools/bench; sourced, not run.

VISTREL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# vistrel_build BUILD [TARGET...]: configure and build into BUILD with the
# mingw-w64 toolchain; all targets, or only the TARGETs and what they need.
# The folder is always configured with the tests, so one folder serves
# tools/start, tools/test and tools/bench alike.
vistrel_build() {
  local build=$1
  shift
  mkdir -p "$build"
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$VISTREL_ROOT" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel \
      -DCMAKE_TOOLCHAIN_FILE="$VISTREL_ROOT/cmake/mingw-w64-x86_64.cmake" \
      -DVISTREL_TESTS=ON >"$build/configure.log" 2>&1 \
      || { cat "$build/configure.log" >&2; return 1; }
  fi
  cmake --build "$build" -j "${VISTREL_JOBS:-$(nproc)}" ${1:+--target "$@"}
}

# vistrel_repro_check BUILD: builds vistrel.exe again in two fresh folders
# under BUILD (so concurrent runs with other BUILDs do not meet) and compares
# both with BUILD's own. Prints one line with the size and sha256; fails when
# any differs, since then nobody could check a released exe against the source.
vistrel_repro_check() {
  local build=$1 exe=$1/bin/vistrel.exe d sum
  for d in repro-a repro-b; do
    rm -rf "${build:?}/$d"
    VISTREL_JOBS=2 vistrel_build "$build/$d" vistrel >"$build/$d.log" 2>&1 \
      || { echo "reproducible build: FAILED, the build in $build/$d did not finish (log $build/$d.log)"; return 1; }
    cmp -s "$exe" "$build/$d/bin/vistrel.exe" \
      || { echo "reproducible build: FAILED, $(cmp "$exe" "$build/$d/bin/vistrel.exe" 2>&1)"; return 1; }
  done
  sum=$(sha256sum "$exe")
  echo "reproducible build: vistrel.exe $(stat -c %s "$exe") bytes, sha256 ${sum%% *}, the same from $build/repro-a and $build/repro-b"
}

# vistrel_claim_display PIDVAR SERVER ARGS...: starts the X server SERVER
# ":N" ARGS on the first free display from :90 up and waits until it
# answers; sets VISTREL_CLAIMED_DISPLAY, and PIDVAR to the server's pid. The
# server's own lock file settles races between two runs that pick the same
# number: the loser exits and we try the next.
vistrel_claim_display() {
  local pidvar=$1 server=$2 n i pid
  shift 2
  for n in $(seq 90 189); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    "$server" ":$n" "$@" >/dev/null 2>&1 &
    pid=$!
    # Known at once, so a run stopped meanwhile still ends it.
    printf -v "$pidvar" '%s' "$pid"
    for i in $(seq 1 100); do
      kill -0 "$pid" 2>/dev/null || break
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        # Only ours if the lock names our pid.
        if [ "$(tr -d ' ' <"/tmp/.X$n-lock" 2>/dev/null)" = "$pid" ]; then
          VISTREL_CLAIMED_DISPLAY=":$n"
          return 0
        fi
        break
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    printf -v "$pidvar" '%s' ""
  done
  return 1
}

# Start a private Xvfb; sets VISTREL_XVFB_PID and DISPLAY.
vistrel_start_xvfb() {
  vistrel_claim_display VISTREL_XVFB_PID Xvfb -screen 0 1280x1024x24 -nolisten tcp -ac \
    || { echo "no free X display between :90 and :189" >&2; return 1; }
  export DISPLAY=$VISTREL_CLAIMED_DISPLAY
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
# vistrel_start_dual_display PREFIX: a second private X server on which Wine
# sees two monitors of different sizes, a 1280x1024 primary at 0,0 and a
# 1024x768 one to its right, and the Wine prefix PREFIX for it
# (tools/wine-prefix-dual). Xorg with the dummy driver, not Xvfb: its two
# RandR outputs are what Wine 8 and Wine 10 both read as two monitors (Wine 10
# reads Xvfb's xrandr --setmonitor ones both at 0,0). Its config and log lie
# beside PREFIX. Exports VISTREL_DUAL_DISPLAY and VISTREL_DUAL_WINEPREFIX,
# which tools/wine-run uses for tests that have VISTREL_TWO_MONITORS=1.
vistrel_start_dual_display() {
  VISTREL_DUAL_WINEPREFIX=$1
  vistrel_stop_wine "$VISTREL_DUAL_WINEPREFIX"
  vistrel_start_two_monitor_xorg "$VISTREL_DUAL_WINEPREFIX" || return 1
  DISPLAY=$VISTREL_DUAL_DISPLAY bash "$VISTREL_ROOT/tools/wine-prefix-dual" "$VISTREL_DUAL_WINEPREFIX" || return 1
  export VISTREL_DUAL_WINEPREFIX=$(cd "$VISTREL_DUAL_WINEPREFIX" && pwd)
}

# No input devices (xdotool types through XTEST), no VT of its own (it runs
# without a console, beside other runs' servers); both modes are listed, the
# second output gets its own with xrandr.
vistrel_write_dual_xorg_conf() {
  cat >"$1" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 65536
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1280x1024" 108.00 1280 1328 1440 1688 1024 1025 1028 1066 +hsync +vsync
  Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2304 1024
    Modes "1280x1024"
  EndSubSection
EndSection
CONF
}

vistrel_start_two_monitor_xorg() {
  local base=$1
  vistrel_write_dual_xorg_conf "$base.xorg.conf" || return 1
  # -noreset keeps the outputs' layout when the last client leaves.
  if ! vistrel_claim_display VISTREL_DUAL_XORG_PID Xorg -config "$base.xorg.conf" -logfile "$base.xorg.log" \
      -nolisten tcp -ac -noreset -novtswitch -sharevts; then
    VISTREL_DUAL_XORG_PID=
    echo "no free X display between :90 and :189 for two monitors (Xorg log $base.xorg.log)" >&2
    return 1
  fi
  export VISTREL_DUAL_DISPLAY=$VISTREL_CLAIMED_DISPLAY
  vistrel_set_two_monitors "$VISTREL_DUAL_DISPLAY" && return 0
  kill "$VISTREL_DUAL_XORG_PID" 2>/dev/null
  wait "$VISTREL_DUAL_XORG_PID" 2>/dev/null
  VISTREL_DUAL_XORG_PID=
  return 1
}

# The dummy driver's first output comes up as the primary; the second one is
# given its mode and put to its right.
vistrel_set_two_monitors() {
  local d=$1
  xrandr -d "$d" --addmode DUMMY1 1024x768 >/dev/null 2>&1
  xrandr -d "$d" --output DUMMY0 --mode 1280x1024 --pos 0x0 --primary \
      --output DUMMY1 --mode 1024x768 --pos 1280x0 >/dev/null 2>&1 \
    && [ "$(xrandr -d "$d" --listmonitors | head -n1)" = "Monitors: 2" ] \
    || { echo "xrandr could not set two monitors on $d" >&2; return 1; }
}

# Stops the prefix's wineserver and the display; keeps the caller's exit
# status, so it can run before an EXIT trap's own handler.
vistrel_stop_dual_display() {
  local rc=$?
  [ -n "${VISTREL_DUAL_WINEPREFIX:-}" ] && vistrel_stop_wine "$VISTREL_DUAL_WINEPREFIX"
  if [ -n "${VISTREL_DUAL_XORG_PID:-}" ]; then
    kill "$VISTREL_DUAL_XORG_PID" 2>/dev/null
    wait "$VISTREL_DUAL_XORG_PID" 2>/dev/null
    VISTREL_DUAL_XORG_PID=
  fi
  return "$rc"
}
