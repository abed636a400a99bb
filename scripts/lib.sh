# Shared by the scripts: folders, the Wine prefix and its server.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
JOBS="$(nproc 2>/dev/null || echo 2)"

configure_and_build() {  # native | windows
  local kind="$1" dir="$BUILD/$1"
  local extra=()
  [ "$kind" = windows ] && extra=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake")
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" >/dev/null
  fi
  if ! cmake --build "$dir" -j "$JOBS" >"$dir/build.log" 2>&1; then
    cat "$dir/build.log" >&2
    echo "build of $kind failed" >&2
    return 1
  fi
}

# A throwaway 32-bit prefix under the build folder; never the developer's own.
start_wine() {  # prefix folder name
  export WINEPREFIX="$BUILD/windows/$1" WINEARCH=win32 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
  mkdir -p "$WINEPREFIX"
  wineserver -k 2>/dev/null || true
  wineserver -p </dev/null >/dev/null 2>&1  # one persistent server for the whole run
  trap 'wineserver -k 2>/dev/null || true' EXIT
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
  fi
}

winpath() { echo "Z:${1//\//\\}"; }
