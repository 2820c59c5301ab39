'use strict';
// One game between two UCI players, driven the way a GUI drives it: before
// every move the whole game goes out as "position ... moves ..." followed by
// "go wtime W btime B winc I binc I". Both clocks are kept here from the time
// measured between writing "go" and reading "bestmove"; the increment is
// added after each move in time. chess.js is the referee: it decides whether
// a move is legal and when the game is over.

const { Chess } = require('chess.js');
const { openPlayer, closePlayer } = require('./players');

// How long past the end of its clock a player may stay silent before it is
// taken to have stopped answering (it has lost on time long before).
const DEFAULT_GRACE_MS = 5000;

function legalMoveTexts(chess) {
  return new Set(chess.moves({ verbose: true }).map((m) => m.lan));
}

// The referee's verdict on a finished position, or null while play goes on.
function refereeVerdict(chess) {
  if (chess.isCheckmate()) return { result: chess.turn() === 'w' ? '0-1' : '1-0', reason: 'checkmate' };
  if (chess.isStalemate()) return { result: '1/2-1/2', reason: 'stalemate' };
  if (chess.isInsufficientMaterial()) return { result: '1/2-1/2', reason: 'insufficient material' };
  if (chess.isThreefoldRepetition()) return { result: '1/2-1/2', reason: 'threefold repetition' };
  if (chess.isDrawByFiftyMoves()) return { result: '1/2-1/2', reason: 'fifty-move rule' };
  return null;
}

function positionCommand(opening, moves) {
  const base = opening.fen ? `position fen ${opening.fen}` : 'position startpos';
  return moves.length > 0 ? `${base} moves ${moves.join(' ')}` : base;
}

// white, black: player specs (players.js). opening: { name, fen?, moves[] }.
// tc: { baseMs, incMs }. maxPlies: adjudicate a draw after this many plies
// of the game (0: never). Resolves with the game record.
async function playGame({ white, black, opening, tc, maxPlies = 0, graceMs = DEFAULT_GRACE_MS, onMove = null }) {
  const chess = new Chess(opening.fen || undefined);
  for (const m of opening.moves) {
    chess.move({ from: m.slice(0, 2), to: m.slice(2, 4), promotion: m[4] });
  }
  const record = {
    white: white.label,
    black: black.label,
    opening: opening.name,
    result: '*',
    reason: '',
    moves: [],
    faults: [], // { side, player, kind: 'illegal' | 'time' | 'crash' | 'no-answer', detail }
    problems: [], // protocol faults of strict players
    clockLog: [], // { side, wtime, btime, usedMs }: the clocks sent with each "go"
    stats: {
      w: { moves: 0, usedMs: 0, maxMoveMs: 0, maxShare: 0, minLeftMs: tc.baseMs },
      b: { moves: 0, usedMs: 0, maxMoveMs: 0, maxShare: 0, minLeftMs: tc.baseMs },
    },
    pgn: '',
  };
  const specs = { w: white, b: black };
  const procs = {};
  procs.w = await openPlayer(white, record.problems);
  procs.b = await openPlayer(black, record.problems);
  const clocks = { w: tc.baseMs, b: tc.baseMs };
  const played = [...opening.moves];

  const lose = (side, kind, detail) => {
    record.faults.push({ side, player: specs[side].label, kind, detail });
    record.result = side === 'w' ? '0-1' : '1-0';
    record.reason = kind === 'illegal' ? 'illegal move' : kind === 'time' ? 'time forfeit' : kind;
  };

  for (;;) {
    const verdict = refereeVerdict(chess);
    if (verdict) {
      Object.assign(record, verdict);
      break;
    }
    if (maxPlies > 0 && record.moves.length >= maxPlies) {
      record.result = '1/2-1/2';
      record.reason = 'move limit (adjudicated)';
      break;
    }
    const side = chess.turn();
    const proc = procs[side];
    if (!proc.alive) {
      lose(side, 'crash', `process ended before its move (status ${proc.exit.code}, signal ${proc.exit.signal})`);
      break;
    }
    proc.send(positionCommand(opening, played));
    const wtime = Math.round(clocks.w);
    const btime = Math.round(clocks.b);
    const goAt = proc.send(`go wtime ${wtime} btime ${btime} winc ${tc.incMs} binc ${tc.incMs}`);
    const reply = await proc.waitFor((l) => l.startsWith('bestmove'), clocks[side] + graceMs);
    if (!reply.ok) {
      if (reply.reason === 'exit') {
        lose(side, 'crash', `process ended while thinking (status ${proc.exit.code}, signal ${proc.exit.signal})`);
      } else {
        lose(side, 'no-answer', `no bestmove ${Math.round(clocks[side] + graceMs)} ms after go`);
      }
      break;
    }
    const used = reply.t - goAt;
    record.clockLog.push({ side, wtime, btime, usedMs: used });
    const stats = record.stats[side];
    stats.moves += 1;
    stats.usedMs += used;
    stats.maxMoveMs = Math.max(stats.maxMoveMs, used);
    stats.maxShare = Math.max(stats.maxShare, used / clocks[side]);
    const clockBefore = clocks[side];
    clocks[side] -= used;
    if (clocks[side] < 0) {
      lose(side, 'time', `used ${used.toFixed(0)} ms with ${clockBefore.toFixed(0)} ms on the clock`);
      break;
    }
    stats.minLeftMs = Math.min(stats.minLeftMs, clocks[side]);
    clocks[side] += tc.incMs;

    const text = reply.line.split(/\s+/)[1] || '';
    if (!legalMoveTexts(chess).has(text)) {
      lose(side, 'illegal', `${JSON.stringify(reply.line)} in ${chess.fen()}`);
      break;
    }
    chess.move({ from: text.slice(0, 2), to: text.slice(2, 4), promotion: text[4] });
    played.push(text);
    record.moves.push(text);
    if (onMove) onMove(record, text, used);
  }

  await closePlayer(procs.w, white, record.problems);
  await closePlayer(procs.b, black, record.problems);

  chess.setHeader('White', white.label);
  chess.setHeader('Black', black.label);
  chess.setHeader('Event', opening.name);
  chess.setHeader('Result', record.result);
  chess.setHeader('Termination', record.reason);
  record.pgn = chess.pgn();
  record.finalFen = chess.fen();
  return record;
}

module.exports = { playGame, refereeVerdict, legalMoveTexts, positionCommand };
