'use strict';
// Stops with a hint when the node modules have not been installed yet.
try {
  require.resolve('chess.js');
} catch {
  console.error('chess.js is missing: run tests/games/setup.sh (it installs node, stockfish and runs npm ci)');
  process.exit(1);
}
