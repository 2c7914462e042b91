# Shared set-up for scripts/run and scripts/test: packages, build, Wine prefix,
# display. Source it; it defines functions and never starts anything by itself.
set -euo pipefail

TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD:-"$TOP/build"}   # another folder keeps a second build and prefix apart
JOBS=$(nproc 2>/dev/null || echo 4)

# Commands we need, and the Debian package that brings each.
NEEDED="cmake:cmake make:make x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix
i686-w64-mingw32-g++-posix:g++-mingw-w64-i686-posix x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64
wine:wine wineserver:wine64 Xvfb:xvfb import:imagemagick c++:g++ clang++:clang xdpyinfo:x11-utils
xdotool:xdotool"

ensure_packages() {
  local missing="" pair cmd pkg
  for pair in $NEEDED; do
    cmd=${pair%%:*}; pkg=${pair#*:}
    command -v "$cmd" >/dev/null 2>&1 || missing="$missing $pkg"
  done
  [ -d /usr/src/googletest/googletest ] || missing="$missing googletest"
  ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || missing="$missing libclang-rt-dev"
  # giflib and the picture makers for the GIF comparison tests.
  [ -f /usr/include/gif_lib.h ] || missing="$missing libgif-dev"
  command -v gifbuild >/dev/null 2>&1 || missing="$missing giflib-tools"
  command -v pamtogif >/dev/null 2>&1 || missing="$missing netpbm"
  # libjpeg-turbo: the source package for Windows, the library for native tests.
  command -v dpkg-source >/dev/null 2>&1 || missing="$missing dpkg-dev"
  command -v nasm >/dev/null 2>&1 || missing="$missing nasm"
  [ -f /usr/include/jpeglib.h ] || missing="$missing libjpeg-dev"
  # A CJK font for the Simplified Chinese texts under Wine.
  [ -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ] || missing="$missing fonts-wqy-microhei"
  # Fonts of the same metrics as the Windows core fonts the windows ask for
  # (Times New Roman, Arial, Courier New), which Wine does not bring.
  [ -f /usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf ] || missing="$missing fonts-liberation"
  if [ -n "$missing" ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    # shellcheck disable=SC2086
    apt-get install -y -q --no-install-recommends $missing >/dev/null
  fi
}

# libjpeg-turbo from Debian's source package, fetched once into build/libjpeg
# with a source list of its own (the machine's apt set-up is left alone), then
# built as a static library for one Windows target.
LIBJPEG="$BUILD/libjpeg"
fetch_libjpeg() {
  [ -f "$LIBJPEG/src/jpeglib.h" ] && return 0
  local apt="$LIBJPEG/apt" f
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/parts" "$LIBJPEG/dl"
  : >"$apt/sources.list"
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && sed -n 's/^deb \(.*\)/deb-src \1/p' "$f" >>"$apt/sources.list"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed 's/^Types: deb$/Types: deb-src/' "$f" >"$apt/parts/$(basename "$f")"
  done
  local opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/parts"
              -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache")
  apt-get "${opts[@]}" update -q >/dev/null
  (cd "$LIBJPEG/dl" && apt-get "${opts[@]}" source --download-only -q libjpeg-turbo >/dev/null 2>&1)
  rm -rf "$LIBJPEG/src"
  dpkg-source -x "$(ls "$LIBJPEG"/dl/libjpeg-turbo_*.dsc | head -1)" "$LIBJPEG/src" >/dev/null 2>&1
}

build_libjpeg() {
  local arch=$1
  [ -f "$LIBJPEG/$arch/libjpeg.a" ] && return 0
  fetch_libjpeg
  cmake -S "$LIBJPEG/src" -B "$LIBJPEG/$arch" -DCMAKE_TOOLCHAIN_FILE="$TOP/cmake/mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=0 -DWITH_TURBOJPEG=0 \
        -DCMAKE_INSTALL_PREFIX="$LIBJPEG/$arch/install" >/dev/null
  cmake --build "$LIBJPEG/$arch" -j "$JOBS" --target jpeg-static >/dev/null
}

# Cross build for one target (x86_64 or i686) into build/ or build-i686/.
build_windows() {
  local arch=${1:-x86_64} dir
  if [ "$arch" = x86_64 ]; then dir="$BUILD"; else dir="$BUILD-$arch"; fi
  build_libjpeg "$arch"
  cmake -S "$TOP" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$TOP/cmake/mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLIBJPEG_SOURCE="$LIBJPEG/src" -DLIBJPEG_BUILD="$LIBJPEG/$arch" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}

# Native build of the portable units, with sanitizers and fuzz targets.
build_native() {
  CC=clang CXX=clang++ cmake -S "$TOP" -B "$BUILD-native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$BUILD-native" -j "$JOBS"
}

# Everything Wine does stays inside build/.
wine_env() {
  export WINEPREFIX="$BUILD/wineprefix"
  export HOME="$BUILD/home"
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
  export WINEDEBUG=-all
  export WINEARCH=win64
  mkdir -p "$HOME"
}

WINESERVER_PID=""
XVFB_PID=""

cleanup() {
  if [ -n "$WINESERVER_PID" ]; then
    # Ends every Wine process of our own prefix, then the server itself.
    wineserver -k >/dev/null 2>&1 || true
    kill "$WINESERVER_PID" 2>/dev/null || true
    wait "$WINESERVER_PID" 2>/dev/null || true
  fi
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  WINESERVER_PID=""; XVFB_PID=""
}

start_wine() {
  wine_env
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix (once)..."
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # Wine draws its own frames: there is no window manager under Xvfb.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w
  fi
  if [ ! -f "$WINEPREFIX/.crash-settings" ]; then
    # A crashing program prints a backtrace and ends; no dialog waits for a click.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    wineserver -w
    touch "$WINEPREFIX/.crash-settings"
  fi
  # A persistent server of our own, so each test process starts quickly.
  wineserver -f -p </dev/null >/dev/null 2>&1 &
  WINESERVER_PID=$!
  sleep 0.3
  # Start the prefix's services once, before any test process races for them.
  timeout 120 wine wineboot </dev/null >/dev/null 2>&1 || true
}

start_xvfb() {
  local n=91
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 50); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not start" >&2
  return 1
}
