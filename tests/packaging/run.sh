#!/usr/bin/env bash
# Makes the release files with tools/make-release.sh and checks them as a
# user gets them: lintian on the .deb, which is then installed with dpkg and
# run as "tavox" from PATH, with its manual page; the Windows zip unpacked and
# both engines run under Wine in that folder; each Linux tarball unpacked and
# its engine run there (natively, or under qemu-user). Every engine runs one
# session in the folder that holds the shipped Parameters_Eval.txt, and must
# print what the x86-64 engine prints without any parameter file (nps masked):
# the shipped file holds exactly the built-in weights. Installs what it needs
# with apt-get; run as root (the package is installed with dpkg -i and removed
# again at the end), after the Windows stage in CI (whose Wine prefix it uses).
#
#   bash tests/packaging/run.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
log() { echo "[packaging] $*"; }
started=$SECONDS

source tests/install_missing.sh
install_missing g++ cmake make g++-mingw-w64-x86-64 g++-mingw-w64-i686 g++-aarch64-linux-gnu g++-arm-linux-gnueabihf \
  qemu-user wine wine64 zip unzip dpkg-dev lintian man-db binutils

dist=$root/build-release/dist
rm -rf "$dist"
bash tools/make-release.sh "$dist"
version=$(cat build-release/linux-x86_64/tavox-version.txt)
log "release files made in $((SECONDS - started)) s"

scratch=$(mktemp -d)
installed=no
cleanup() {
  if [ "$installed" = yes ]; then dpkg -r tavox >/dev/null 2>&1 || true; fi
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail=0
failed() {
  echo "[packaging] FAILED: $*" >&2
  fail=1
}

# The session: the parameter file is read at "isready", then searches of a few positions.
session=$(printf '%s\n' uci isready "position startpos" "go depth 7" \
  "position fen r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 3 8" "go depth 7" \
  "position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1" "go depth 5" \
  "position fen 8/5k2/8/2P5/8/8/5K2/8 w - - 0 1" "go depth 7")
# Runs the session in directory DIR with the given command; prints its output, nps masked.
run_session() {  # dir, command...
  local dir=$1
  shift
  (cd "$dir" && "$@" <<<"$session") | sed -E 's/ nps -?[0-9]+/ nps X/g'
}
# The session in a folder of a release file, compared with the reference; the
# shipped parameter file must have been read (its echo has all 58 lines).
check_engine() {  # label, dir, command...
  local label=$1 dir=$2
  shift 2
  local output
  output=$(run_session "$dir" "$@")
  if [ "$output" != "$reference" ]; then
    failed "$label: the session differs from the built-in weights'"
    diff <(echo "$reference") <(echo "$output") | head -n 8 >&2 || true
  elif [ "$(wc -l <"$dir/Control_Parameters_Eval.txt")" != 58 ]; then
    failed "$label: Parameters_Eval.txt was not read"
  else
    log "$label: same transcript as the built-in weights"
  fi
  rm -f "$dir/Control_Parameters_Eval.txt"
}

# --- Linux tarballs ---------------------------------------------------------------
for arch in x86_64 aarch64 armhf; do
  tar -C "$scratch" -xzf "$dist/tavox-$version-linux-$arch.tar.gz"
  dir=$scratch/tavox-$version-linux-$arch
  for file in tavox README.md LICENSE Parameters_Eval.txt; do
    [ -f "$dir/$file" ] || failed "$arch tarball: no $file"
  done
  [ -x "$dir/tavox" ] || failed "$arch tarball: tavox is not executable"
done
# The reference: the x86-64 engine with no parameter file at all.
empty=$scratch/empty
mkdir -p "$empty"
reference=$(run_session "$empty" "$scratch/tavox-$version-linux-x86_64/tavox")
[ "$(wc -l <"$empty/Control_Parameters_Eval.txt")" = 3 ] || failed "the reference run found a parameter file"
grep -q '^bestmove ' <<<"$reference" || failed "the reference session has no bestmove"
check_engine "x86-64 tarball" "$scratch/tavox-$version-linux-x86_64" ./tavox
check_engine "aarch64 tarball (qemu)" "$scratch/tavox-$version-linux-aarch64" qemu-aarch64 ./tavox
check_engine "armhf tarball (qemu)" "$scratch/tavox-$version-linux-armhf" qemu-arm ./tavox

# --- The Debian package -------------------------------------------------------------
deb=$(ls "$dist"/tavox_"$version"_*.deb)
lintian_status=0
lintian_output=$(lintian --display-info --pedantic --fail-on error "$deb" 2>&1) || lintian_status=$?
lintian_output=$(grep -v 'running with root privileges' <<<"$lintian_output" || true)
log "lintian $(lintian --version | cut -d' ' -f2): ${lintian_output:-no tags}"
[ "$lintian_status" = 0 ] || failed "lintian reports errors"
dpkg -i "$deb" >/dev/null
installed=yes
# /usr/games is on the PATH of ordinary users (not on root's).
[ "$(PATH=$PATH:/usr/games command -v tavox)" = /usr/games/tavox ] || failed "tavox is not /usr/games/tavox"
for file in /usr/share/doc/tavox/copyright /usr/share/doc/tavox/changelog.gz /usr/share/tavox/Parameters_Eval.txt; do
  [ -f "$file" ] || failed "the package has no $file"
done
manual=$(MANPAGER=cat MANWIDTH=80 man 6 tavox 2>&1) || true
for heading in NAME COMMANDS FILES "EXIT STATUS" COPYRIGHT; do
  grep -q "^$heading" <<<"$manual" || failed "man 6 tavox has no $heading section"
done
package_dir=$scratch/deb-engine
mkdir -p "$package_dir"
cp /usr/share/tavox/Parameters_Eval.txt "$package_dir/"
check_engine "installed tavox from PATH" "$package_dir" env PATH="$PATH:/usr/games" tavox
dpkg -r tavox >/dev/null
installed=no

# --- The Windows zip ------------------------------------------------------------------
unzip -q "$dist/tavox-$version-windows.zip" -d "$scratch"
dir=$scratch/tavox-$version-windows
for file in tavox.exe tavox-32bit.exe README.txt LICENSE.txt Parameters_Eval.txt; do
  [ -f "$dir/$file" ] || failed "zip: no $file"
done
for file in README.txt LICENSE.txt Parameters_Eval.txt; do
  [ "$(grep -c $'\r$' "$dir/$file")" = "$(wc -l <"$dir/$file")" ] || failed "zip: $file has lines without CR LF"
done
source tests/wine_loader.sh
wine32=yes
wine32_runs "$root/build-wine/bin" || wine32=no
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$root/build-wine/prefix}
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1 || true
wineboot -i >/dev/null 2>&1
check_engine "tavox.exe (Wine)" "$dir" wine tavox.exe
if [ "$wine32" = yes ]; then
  check_engine "tavox-32bit.exe (Wine)" "$dir" wine tavox-32bit.exe
else
  log "32-bit Wine is not installed or this kernel does not run it: tavox-32bit.exe not run"
fi

log "release files:"
(cd "$dist" && ls -l tavox[-_]* | awk '{printf "[packaging]   %9d  %s\n", $5, $9}')
log "done in $((SECONDS - started)) s"
exit $fail
