# Shared by the scripts: folders, the Wine prefix and its server.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
JOBS="$(nproc 2>/dev/null || echo 2)"
# Checkouts side by side share one compiler cache (when ccache is there).
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$ROOT")}"
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"  # kept when a Wine prefix gets its own HOME

# The Wine tests run the 32-bit build in a 32-bit prefix. Some kernels are built
# without 32-bit programs ("Exec format error"): there they run the 64-bit build
# in a 64-bit prefix. Called once Wine is installed.
pick_wine_build() {
  if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WIN_KIND=windows WIN_ARCH=win32
  else
    WIN_KIND=windows64 WIN_ARCH=win64
    echo "(32-bit programs do not run here: the Wine tests use the 64-bit build in a 64-bit prefix)" >&2
  fi
  WIN_BIN="$BUILD/$WIN_KIND/bin"
}

# Commands to run when the script ends, newest first.
ON_EXIT=""
on_exit() {
  ON_EXIT="$1; $ON_EXIT"
  trap "$ON_EXIT" EXIT
}

configure_and_build() {  # native | windows | windows64 [target...]
  local kind="$1" dir="$BUILD/$1"
  shift
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  local extra=()
  [ "$kind" = windows ] && extra=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake")
  # The same sources for 64-bit Windows: the programs that work in its native registry view.
  [ "$kind" = windows64 ] && extra=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake")
  # A compiler cache where there is one (developer machines; CI builds without).
  command -v ccache >/dev/null && extra+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" >/dev/null
  fi
  if ! cmake --build "$dir" -j "$JOBS" "${targets[@]}" >"$dir/build.log" 2>&1; then
    cat "$dir/build.log" >&2
    echo "build of $kind failed" >&2
    return 1
  fi
}

# A throwaway 32-bit prefix under the build folder; never the developer's own.
start_wine() {  # prefix folder name [win32|win64]; pick_wine_build's kind unless given
  # The server of a build prefix used before (here or by the caller) goes first.
  case "${WINEPREFIX:-}" in "$BUILD"/*) wineserver -k 2>/dev/null || true ;; esac
  export WINEPREFIX="$BUILD/windows/$1" WINEARCH="${2:-${WIN_ARCH:-win32}}" WINEDEBUG=-all
  # A 64-bit prefix is started by the 64-bit loader; it hands 32-bit programs to the 32-bit one.
  if [ "$WINEARCH" = win64 ]; then export QRV_WINE=/usr/lib/wine/wine64; else export QRV_WINE=wine; fi
  # Wine links the prefix's Desktop, Documents, Downloads, Music, Pictures and
  # Videos to $HOME: a throwaway home beside the prefix, so that a walk that
  # goes wrong can only reach that folder.
  export QRV_WINE_HOME="$BUILD/windows/$1-home"
  [ -f "$WINEPREFIX/system.reg" ] || rm -rf "$QRV_WINE_HOME"
  mkdir -p "$QRV_WINE_HOME"
  export HOME="$QRV_WINE_HOME"
  export WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
  mkdir -p "$WINEPREFIX"
  wineserver -k 2>/dev/null || true
  wineserver -p </dev/null >/dev/null 2>&1  # one persistent server for the whole run
  on_exit 'wineserver -k 2>/dev/null || true'
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$QRV_WINE" wineboot -i >/dev/null 2>&1
    # Windows sets its windows in Arial; Liberation Sans has the same metrics.
    "$QRV_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'Liberation Sans' /f >/dev/null 2>&1
  fi
}

winpath() { echo "Z:${1//\//\\}"; }

# A virtual screen for the windows, unless one at least as large as
# QRV_XVFB_SCREEN asks (width x height) is already there.
start_xvfb() {
  local want="${QRV_XVFB_SCREEN:-1280x1024x24}" have
  if [ -n "${DISPLAY:-}" ] && have=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ { print $2; exit }') && [ -n "$have" ]; then
    local ww=${want%%x*} wh=${want#*x} hw=${have%%x*} hh=${have#*x}
    wh=${wh%%x*}
    [ "$hw" -ge "$ww" ] && [ "$hh" -ge "$wh" ] && return 0
  fi
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "$want" -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  on_exit "kill $XVFB_PID 2>/dev/null || true"
}
