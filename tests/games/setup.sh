#!/usr/bin/env bash
# Installs what the game tests need on a Debian machine: node and npm,
# Debian's stockfish (the opponent), and the node modules pinned by
# package-lock.json (chess.js, the referee).
set -euo pipefail
cd "$(dirname "$0")"

need=()
command -v node >/dev/null 2>&1 || need+=(nodejs)
command -v npm >/dev/null 2>&1 || need+=(npm)
if ! command -v stockfish >/dev/null 2>&1 && [ ! -x /usr/games/stockfish ]; then
  need+=(stockfish)
fi
if [ ${#need[@]} -gt 0 ]; then
  source ../install_missing.sh
  apt_update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}"
fi

npm ci --no-audit --no-fund --loglevel=error
