#!/usr/bin/env bash
# Builds the engine and runs every test: unit and end-to-end tests, games
# through the UCI pipe, fuzzing with the sanitizer suite, the Windows builds
# under Wine, the ARM builds (and the x86-64 build on older processor
# models) under qemu-user. Missing Debian packages are
# installed with apt-get (as root) and the node modules of the game harness
# with npm.
#
#   bash tests/run_all.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

source tests/install_missing.sh
install_missing g++ cmake make libgtest-dev clang-format-14
bash tests/games/setup.sh

echo "== format (clang-format 14)"
find src tools tests -name node_modules -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format-14 --dry-run -Werror

echo "== build and ctest (Release)"
# Tests on explicitly: build/ may have been configured without them (the
# README's build command does that), and the cache would keep them off.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DENGINE_TESTS=ON >/dev/null
cmake --build build -j2
ctest --test-dir build --output-on-failure --no-tests=error -j2

echo "== fuzzing and the sanitizer build"
bash tests/fuzz/run.sh

if [ -f tests/windows/run.sh ]; then
  echo "== Windows builds under Wine"
  bash tests/windows/run.sh
fi
echo "== ARM builds, and the x86-64 build on older processors, under qemu-user"
bash tests/arm/run.sh
echo "== release files: made, installed and run (tests/packaging/run.sh)"
bash tests/packaging/run.sh
echo "== all tests passed"
