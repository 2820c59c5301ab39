'use strict';
// Reads the opening positions file: one position a line,
// "name | moves e2e4 e7e5 ..." (from the start position) or
// "name | fen <FEN> [moves ...]"; blank lines and lines starting with # are
// skipped. Every position is checked with chess.js while it is read.

const fs = require('node:fs');
const path = require('node:path');
const { Chess } = require('chess.js');

const OPENINGS_FILE = path.join(__dirname, '..', 'openings.txt');

function parseOpeningLine(line) {
  const bar = line.indexOf('|');
  if (bar < 0) throw new Error(`no "|" in opening line ${JSON.stringify(line)}`);
  const name = line.slice(0, bar).trim();
  const body = line.slice(bar + 1).trim();
  let fen = null;
  let movesText = '';
  const m = /^(?:fen\s+(.*?)\s*)?(?:\bmoves\s+(.*))?$/.exec(body);
  if (!m || (!m[1] && !m[2])) throw new Error(`opening ${JSON.stringify(name)}: expected "fen ..." or "moves ..."`);
  fen = m[1] || null;
  movesText = m[2] || '';
  const moves = movesText.split(/\s+/).filter(Boolean);
  // chess.js throws on a malformed FEN and on an illegal move.
  const chess = new Chess(fen || undefined);
  for (const mv of moves) {
    const legal = chess.moves({ verbose: true }).some((x) => x.lan === mv);
    if (!legal) throw new Error(`opening ${JSON.stringify(name)}: illegal move ${mv}`);
    chess.move({ from: mv.slice(0, 2), to: mv.slice(2, 4), promotion: mv[4] });
  }
  if (chess.isGameOver()) throw new Error(`opening ${JSON.stringify(name)}: the game is already over`);
  return { name, fen, moves, finalFen: chess.fen() };
}

function loadOpenings(file = OPENINGS_FILE) {
  return fs
    .readFileSync(file, 'utf8')
    .split('\n')
    .map((l) => l.trim())
    .filter((l) => l !== '' && !l.startsWith('#'))
    .map(parseOpeningLine);
}

module.exports = { loadOpenings, parseOpeningLine, OPENINGS_FILE };
