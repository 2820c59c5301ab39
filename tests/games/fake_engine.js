#!/usr/bin/env node
'use strict';
// A stand-in UCI engine that plays random legal moves. It answers like the
// engine under test ("uciok ", "readyok " and an empty line, exit status 1 on
// "quit", 0 at the end of input) and can misbehave on purpose, so that the
// harness is shown to catch each fault it claims to catch.
//
// Usage: node fake_engine.js MODE
//   random      honest random mover
//   illegal     answers its first "go" with a move that is not legal
//   hang        never answers "go"
//   slow        answers "go" only after its clock has run out
//   crash       ends with status 3 on its first "go"
//   error-line  prints an "ERROR" line during its first search
//   sloppy      "uciok" and "readyok" without their trailing blank, no empty line
//   quit0       ends with status 0 on "quit"
//   deaf        ignores "isready" while searching

const readline = require('node:readline');
const { Chess } = require('chess.js');

const mode = process.argv[2] || 'random';
let chess = new Chess();
let searching = null; // interval timer of a running "go infinite"
let goCount = 0;

const out = (text) => process.stdout.write(text + '\n');

function randomMove() {
  const moves = chess.moves({ verbose: true });
  return moves.length > 0 ? moves[Math.floor(Math.random() * moves.length)].lan : '0000';
}

// Positions arrive as the whole game each time; only the moves not yet
// played on the kept board are made.
let base = null;
let played = [];
function setPosition(line) {
  const m = /^position\s+(?:startpos|fen\s+(.*?))\s*(?:\bmoves\s+(.*))?$/.exec(line);
  if (!m) return;
  const fen = m[1] || 'startpos';
  const moves = (m[2] || '').split(/\s+/).filter(Boolean);
  const extends_ = fen === base && played.every((mv, i) => moves[i] === mv);
  if (!extends_) {
    chess = new Chess(m[1] || undefined);
    base = fen;
    played = [];
  }
  for (const mv of moves.slice(played.length)) {
    chess.move({ from: mv.slice(0, 2), to: mv.slice(2, 4), promotion: mv[4] });
    played.push(mv);
  }
}

function go(line) {
  goCount += 1;
  const first = goCount === 1;
  if (/\binfinite\b/.test(line)) {
    searching = setInterval(() => out('info depth 1 score cp 0 nodes 1 pv ' + randomMove()), 20);
    return;
  }
  if (mode === 'hang') return;
  if (mode === 'crash' && first) process.exit(3);
  if (mode === 'illegal' && first) return out('bestmove a1a1');
  if (mode === 'error-line' && first) out('ERROR test_eval != bitboard->eval');
  if (mode === 'slow') {
    const side = chess.turn() === 'w' ? 'wtime' : 'btime';
    const m = new RegExp(`\\b${side}\\s+(\\d+)`).exec(line);
    const clock = m ? Number(m[1]) : 0;
    setTimeout(() => out('bestmove ' + randomMove()), clock + 100);
    return;
  }
  out('bestmove ' + randomMove());
}

function stopSearch() {
  if (!searching) return;
  clearInterval(searching);
  searching = null;
  out('bestmove ' + randomMove());
}

function readyok() {
  if (mode === 'sloppy') return out('readyok');
  out('readyok ');
  out('');
}

const rl = readline.createInterface({ input: process.stdin });
rl.on('line', (line) => {
  if (line === 'quit') process.exit(mode === 'quit0' ? 0 : 1);
  if (searching) {
    if (line === 'stop') stopSearch();
    else if (line === 'isready' && mode !== 'deaf') readyok();
    return;
  }
  if (line === 'uci') {
    out('id name fake');
    out('id author nobody');
    out(mode === 'sloppy' ? 'uciok' : 'uciok ');
  } else if (line === 'isready') readyok();
  else if (line.startsWith('position ')) setPosition(line);
  else if (line.startsWith('go')) go(line);
});
rl.on('close', () => process.exit(0));
