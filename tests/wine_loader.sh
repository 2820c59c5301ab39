# Sourced by the Windows and packaging tests.
#
# wine32_runs DIR: succeeds when 32-bit Wine is installed and this kernel runs
# it. Once wine32 is installed, Debian's wine script always starts Wine's
# 32-bit loader, which a kernel without 32-bit program support refuses ("Exec
# format error"), for 64-bit programs too. In that case a wine and wine-stable
# of our own, written into DIR and put first on the PATH, call Wine's 64-bit
# loader directly, and the function fails: 32-bit programs cannot be run.
wine32_runs() {
  local dir=$1 name
  dpkg -s wine32:i386 >/dev/null 2>&1 || return 1
  /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
  mkdir -p "$dir"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nWINELOADER=/usr/lib/wine/wine64 exec /usr/lib/wine/wine64 "$@"\n' >"$dir/$name"
    chmod +x "$dir/$name"
  done
  dir=$(cd "$dir" && pwd)
  export PATH="$dir:$PATH"
  return 1
}
