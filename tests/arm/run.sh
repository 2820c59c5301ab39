#!/usr/bin/env bash
# Builds the engine for 64-bit and 32-bit ARM Linux (statically linked, with
# Debian's cross compilers), runs each build under qemu-user, and checks that
# the handshake and "go depth 6" on 25 positions of ../shared/positions.epd
# print exactly what the x86-64 build prints (the nps figures masked). The
# x86-64 build itself is run the same way on older processor models too.
# Installs what it needs with apt-get.
#
#   bash tests/arm/run.sh            (after the native build in build/)
#
# The arm64 build is a static PIE with an entry point for Android's seccomp
# filter; that is checked too.
#
# Results: build-arm64/tavox and build-armhf/tavox, ready to copy to a board.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
log() { echo "[arm] $*"; }

source tests/install_missing.sh
install_missing g++ cmake make g++-aarch64-linux-gnu g++-arm-linux-gnueabihf qemu-user binutils

positions="$root/../shared/positions.epd"
[ -f "$positions" ] || { echo "missing $positions" >&2; exit 1; }

native=$root/build/tavox
if [ ! -x "$native" ]; then
  log "building the native engine"
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build -j2 --target tavox >/dev/null
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# One whole session in a fresh directory; stdout with the nps figures masked.
session() {  # runner... (the session text on standard input)
  local dir
  dir=$(mktemp -d -p "$scratch")
  (cd "$dir" && "$@") | sed -E 's/ nps -?[0-9]+/ nps X/g'
}

fail=0

# Compares the sessions of the runner (an executable, or qemu and its
# arguments and an executable) with those of the native build.
compare_sessions() {  # name runner...
  local name=$1 fen text expected actual started=$SECONDS same=0 total=0
  shift
  while IFS= read -r fen; do
    total=$((total + 1))
    text=$(printf 'uci\nisready\nposition fen %s\ngo depth 6\n' "$fen")
    expected=$(session "$native" <<<"$text")
    actual=$(session "$@" <<<"$text")
    if [ "$expected" = "$actual" ]; then
      same=$((same + 1))
    elif [ $((total - same)) -le 3 ]; then
      echo "[arm] $name differs on: $fen" >&2
      diff <(echo "$expected") <(echo "$actual") | head -n 6 >&2 || true
    fi
  done < <(awk 'NR % 8 == 1' "$positions" | cut -d' ' -f1-6)
  log "$name under $1: $same/$total sessions identical to x86-64 ($((SECONDS - started)) s)"
  [ "$same" = "$total" ] || fail=1
}

for arch in arm64:linux-aarch64:qemu-aarch64 armhf:linux-armhf:qemu-arm; do
  IFS=: read -r name toolchain qemu <<<"$arch"
  dir=build-$name
  started=$SECONDS
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$dir" -j2 --target tavox >/dev/null
  exe=$root/$dir/tavox
  if readelf -l "$exe" | grep -q INTERP; then
    echo "[arm] $dir/tavox is not statically linked" >&2
    fail=1
    continue
  fi
  log "$dir/tavox built in $((SECONDS - started)) s"

  if [ "$name" = arm64 ]; then
    # For Android: a static PIE, whose first system call installs the SIGSYS
    # handler of its entry point, and that handler turns a call refused by a
    # seccomp filter into ENOSYS (checked with the same entry point in a probe).
    readelf -h "$exe" | grep -q 'Type: *DYN' || { echo "[arm] $dir/tavox is not position-independent" >&2; fail=1; }
    first_call=$(cd "$scratch" && "$qemu" -strace "$exe" </dev/null 2>&1 >/dev/null | sed -n 1p)
    [[ $first_call == *"rt_sigaction(SIGSYS,"* ]] || { echo "[arm] no SIGSYS handler at entry: $first_call" >&2; fail=1; }
    aarch64-linux-gnu-g++ -O2 -fPIE -static-pie -Wl,-e,tavox_start -o "$scratch/android_entry_probe" \
      tests/arm/android_entry_probe.cpp src/platform/android_start_aarch64.cpp
    probe=$("$qemu" "$scratch/android_entry_probe" 2>&1 || true)
    [ "$probe" = ENOSYS ] || { echo "[arm] entry point probe: $probe" >&2; fail=1; }
    log "$name: static PIE, refused system calls fail with ENOSYS"
  fi

  compare_sessions "$name" "$qemu" "$exe"
done

# The x86-64 build picks its evaluation's instructions at start-up from what
# the processor has: on a processor without population count (Conroe) and on
# one with it but without BMI1 (Nehalem) it must print the same as here.
for cpu in Conroe Nehalem; do
  compare_sessions "x86-64 $cpu" qemu-x86_64 -cpu "$cpu" "$native"
done
exit $fail
