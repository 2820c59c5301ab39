#!/usr/bin/env bash
# Builds every release file of the engine into DIR (default: dist/):
#
#   tavox-VERSION-windows.zip           tavox.exe (64-bit), tavox-32bit.exe, README.txt,
#                                       LICENSE.txt and Parameters_Eval.txt, all text with CR LF
#   tavox-VERSION-linux-x86_64.tar.gz   tavox (static), README.md, LICENSE, Parameters_Eval.txt
#   tavox-VERSION-linux-aarch64.tar.gz  the same for 64-bit ARM (static PIE: Raspberry Pi, Android)
#   tavox-VERSION-linux-armhf.tar.gz    the same for 32-bit ARM (static: Raspberry Pi OS 32-bit)
#   tavox_VERSION_ARCH.deb              /usr/games/tavox with its manual page and documentation
#   SHA256SUMS
#
# VERSION is the one of project(tavox VERSION ...) in CMakeLists.txt; the top
# entry of packaging/debian/changelog must carry it. Parameters_Eval.txt holds
# the built-in weights, written by the engine's own code (tools/parameters_file.cpp).
#
#   bash tools/make-release.sh [DIR]
#
# Needs g++, cmake, make, the MinGW-w64 and ARM cross compilers
# (g++-mingw-w64-x86-64 g++-mingw-w64-i686 g++-aarch64-linux-gnu
# g++-arm-linux-gnueabihf), zip and dpkg-dev. Builds in build-release/.
# Environment: TAVOX_MAINTAINER (the .deb's Maintainer field), SOURCE_DATE_EPOCH
# (time stamp of every file; default: the last commit).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dist=${1:-dist}
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
builds=$root/build-release
maintainer=${TAVOX_MAINTAINER:-Tavox developers <tavox-developers@example.org>}
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
fi
export SOURCE_DATE_EPOCH

log() { echo "[release] $*"; }

build() {  # name, target, cmake arguments...
  local dir=$builds/$1 target=$2
  shift 2
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DENGINE_TESTS=OFF "$@" >/dev/null
  cmake --build "$dir" -j2 --target "$target" >/dev/null
}

# --- Builds ----------------------------------------------------------------------
# The Linux tarball: statically linked, so that it runs on any x86-64 Linux.
build linux-x86_64 tavox "-DCMAKE_EXE_LINKER_FLAGS=-static -s"
cmake --build "$builds/linux-x86_64" --target parameters_file >/dev/null
version=$(cat "$builds/linux-x86_64/tavox-version.txt")
changelog_version=$(sed -n '1s/^tavox (\([^)]*\)).*/\1/p' packaging/debian/changelog)
if [ "$changelog_version" != "$version" ]; then
  echo "packaging/debian/changelog starts at $changelog_version, the project is $version: add an entry" >&2
  exit 1
fi
log "version $version"

# The Debian package: linked against the system's C library, with Debian's
# hardening flags (position-independent, read-only relocations, fortified calls).
DEB_BUILD_MAINT_OPTIONS=hardening=+all
export DEB_BUILD_MAINT_OPTIONS
build debian tavox -DENGINE_NO_PIE=OFF "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CPPFLAGS)" \
  "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)"
build win64 tavox -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
build win32 tavox -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake"
build linux-aarch64 tavox -DCMAKE_TOOLCHAIN_FILE="$root/cmake/linux-aarch64.cmake"
build linux-armhf tavox -DCMAKE_TOOLCHAIN_FILE="$root/cmake/linux-armhf.cmake"
log "engines built in $builds"

# --- Assembling ------------------------------------------------------------------
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
stamp() { find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +; }
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }

rm -f "$dist"/tavox[-_]"$version"[-_]* "$dist/SHA256SUMS"

tarball() {  # arch, engine
  local name=tavox-$version-linux-$1
  local dir=$scratch/$name
  mkdir -p "$dir"
  install -m 0755 "$2" "$dir/tavox"
  install -m 0644 README.md LICENSE "$dir/"
  "$builds/linux-x86_64/parameters_file" "$dir"
  chmod 0644 "$dir/Parameters_Eval.txt"
  stamp "$dir"
  tar -C "$scratch" --sort=name --owner=0 --group=0 --numeric-owner -cf - "$name" | gzip -9n >"$dist/$name.tar.gz"
}
tarball x86_64 "$builds/linux-x86_64/tavox"
tarball aarch64 "$builds/linux-aarch64/tavox"
tarball armhf "$builds/linux-armhf/tavox"

name=tavox-$version-windows
dir=$scratch/$name
mkdir -p "$dir"
cp "$builds/win64/tavox.exe" "$dir/tavox.exe"
cp "$builds/win32/tavox.exe" "$dir/tavox-32bit.exe"
crlf README.md "$dir/README.txt"
crlf LICENSE "$dir/LICENSE.txt"
"$builds/linux-x86_64/parameters_file" --crlf "$dir"
stamp "$dir"
(cd "$scratch" && TZ=UTC zip -qrX9 "$dist/$name.zip" "$name")

# The Debian package, staged where dpkg-shlibdeps expects a package's files.
arch=$(dpkg --print-architecture)
work=$scratch/deb
stage=$work/debian/tavox
install -d -m 0755 "$stage/DEBIAN" "$stage/usr/games" "$stage/usr/share/doc/tavox" "$stage/usr/share/man/man6" \
  "$stage/usr/share/tavox"
install -m 0755 "$builds/debian/tavox" "$stage/usr/games/tavox"
# Stripped as Debian's own packages are (dh_strip).
strip --remove-section=.comment --remove-section=.note "$stage/usr/games/tavox"
install -m 0644 README.md "$stage/usr/share/doc/tavox/README.md"
install -m 0644 packaging/debian/copyright "$stage/usr/share/doc/tavox/copyright"
gzip -9n <packaging/debian/changelog >"$stage/usr/share/doc/tavox/changelog.gz"
gzip -9n <"$builds/debian/tavox.6" >"$stage/usr/share/man/man6/tavox.6.gz"
"$builds/linux-x86_64/parameters_file" "$stage/usr/share/tavox"
chmod 0644 "$stage"/usr/share/doc/tavox/changelog.gz "$stage"/usr/share/man/man6/tavox.6.gz \
  "$stage"/usr/share/tavox/Parameters_Eval.txt
# The parameter file is data the engine reads, not documentation.
install -d -m 0755 "$stage/usr/share/lintian/overrides"
install -m 0644 packaging/debian/lintian-overrides "$stage/usr/share/lintian/overrides/tavox"
printf 'Source: tavox\n\nPackage: tavox\nArchitecture: any\n' >"$work/debian/control"
depends=$(cd "$work" && dpkg-shlibdeps -O debian/tavox/usr/games/tavox | sed -n 's/^shlibs:Depends=//p')
cat >"$stage/DEBIAN/control" <<EOF
Package: tavox
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $(du -sk --exclude=DEBIAN "$stage" | cut -f1)
Depends: $depends
Suggests: polyglot
Section: games
Priority: optional
Description: chess engine for UCI chess interfaces
 Tavox is a chess engine that speaks the Universal Chess Interface (UCI)
 on its standard input and output, for chess GUIs and match managers
 (xboard through polyglot). It searches with iterative deepening,
 alpha-beta with principal-variation probes, null moves, late-move
 reductions and a transposition table.
 .
 Its evaluation weights can be tuned in a text file; the built-in ones
 are in /usr/share/tavox/Parameters_Eval.txt.
EOF
(cd "$stage" && find usr -type f | LC_ALL=C sort | xargs md5sum >DEBIAN/md5sums)
chmod 0644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"
stamp "$stage"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$dist/tavox_${version}_$arch.deb" >/dev/null

(cd "$dist" && sha256sum tavox-"$version"-* "tavox_${version}_$arch.deb" >SHA256SUMS)
log "release files in $dist:"
(cd "$dist" && ls -l tavox-"$version"-* "tavox_${version}_$arch.deb" SHA256SUMS | awk '{printf "[release]   %9d  %s\n", $5, $9}')
