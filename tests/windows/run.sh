#!/usr/bin/env bash
# Builds the Windows engine (64-bit and 32-bit .exe) with MinGW-w64 and tests
# it under Wine against the Linux build. Installs what it needs with apt-get.
#
# Results: build-win64/tavox.exe, build-win32/tavox.exe (statically linked,
# nothing needed beside them), and the wine_tests results from build-wine/.
#
# Environment:
#   ENGINE_WINE32=0   do not install 32-bit Wine (the 32-bit .exe is then only built)
#   WINEPREFIX        Wine prefix to use (default: build-wine/prefix, made on the first run)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD

log() { echo "[windows] $*"; }

# --- Tools ---------------------------------------------------------------------
source tests/install_missing.sh
install_missing g++ cmake make libgtest-dev g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64

# 32-bit Wine needs the i386 architecture; without it the 32-bit .exe is only built.
wine32=no
if [ "${ENGINE_WINE32:-1}" != 0 ]; then
  if dpkg -s wine32:i386 >/dev/null 2>&1; then
    wine32=yes
  else
    log "installing wine32:i386"
    started=$SECONDS
    if { dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386; } &&
      apt_update &&
      timeout 600 env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null; then
      wine32=yes
      log "wine32 installed in $((SECONDS - started)) s"
    else
      log "wine32 could not be installed: the 32-bit .exe is built but not run"
    fi
  fi
fi

# A kernel without 32-bit program support cannot run the 32-bit loader; Wine
# then runs through its 64-bit loader and the 32-bit .exe is only built. The
# check runs even when 32-bit Wine is not wanted: an earlier install of it
# breaks the 64-bit runs just the same.
source tests/wine_loader.sh
if ! wine32_runs build-wine/bin && [ "$wine32" = yes ]; then
  log "this kernel does not run 32-bit programs: the 32-bit .exe is built but not run"
  wine32=no
fi

# --- Builds --------------------------------------------------------------------
build_windows() {  # directory, toolchain file
  local dir=$1 toolchain=$root/cmake/$2
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DENGINE_TESTS=OFF >/dev/null
  cmake --build "$dir" -j2 --target tavox
  cmake -S tests/windows -B "$dir/test-programs" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$dir/test-programs" -j2
}
log "building the 64-bit engine"
build_windows build-win64 mingw-w64-x86_64.cmake
log "building the 32-bit engine"
build_windows build-win32 mingw-w64-i686.cmake
for exe in build-win64/tavox.exe build-win32/tavox.exe; do
  log "$exe: $(stat -c %s "$exe") bytes, imports: $(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name/ {printf "%s ", $3}')"
done

# --- Wine ----------------------------------------------------------------------
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$root/build-wine/prefix}
mkdir -p "$WINEPREFIX"
# One server for the whole run, so that each test's programs start quickly. A
# server left in this prefix by an earlier run is ended first; this one ends
# (saving the prefix) when the script ends.
wineserver -k 2>/dev/null || true
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT
log "preparing the Wine prefix $WINEPREFIX"
started=$SECONDS
wineboot -i >/dev/null 2>&1
log "prefix ready in $((SECONDS - started)) s"

builds="$root/build-win64"
if [ "$wine32" = yes ]; then
  if wine build-win32/test-programs/io_probe.exe out >/dev/null 2>&1; then
    builds="$builds;$root/build-win32"
  else
    log "wine32 is installed but does not run the 32-bit .exe: it is built but not run"
  fi
fi

# --- Tests ---------------------------------------------------------------------
log "building the Linux engine and the Wine test driver"
cmake -S . -B build-wine -DCMAKE_BUILD_TYPE=Release -DENGINE_WINE_TESTS=ON "-DENGINE_WINE_BUILDS=$builds" >/dev/null
cmake --build build-wine -j2 --target tavox wine_tests
# One test at a time: the stop-to-bestmove timing should not share the two cores.
status=0
ctest --test-dir build-wine --output-on-failure --no-tests=error -R '^Builds/Wine\.' || status=$?
grep -hE "^(stop to bestmove|through a Linux pipe)" build-wine/Testing/Temporary/LastTest.log || true
exit $status
