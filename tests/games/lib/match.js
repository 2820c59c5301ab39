'use strict';
// A series of games of the engine against a list of opponents, each opening
// played with both colours, and the summary of what happened.

const fs = require('node:fs');
const { playGame } = require('./game');
const { engineSpec } = require('./players');

// Time controls are written "BASE+INC" in seconds, e.g. "10+0.1".
function parseTimeControl(text) {
  const m = /^(\d+(?:\.\d+)?)(?:\+(\d+(?:\.\d+)?))?$/.exec(text);
  if (!m) throw new Error(`bad time control "${text}" (expected BASE+INC in seconds, e.g. 10+0.1)`);
  return { baseMs: Math.round(Number(m[1]) * 1000), incMs: Math.round(Number(m[2] || 0) * 1000) };
}

// The games to play: `count` games per opponent, walking through the
// openings from `firstOpening` on, each opponent taking up where the one
// before it left off; game 2k gives the engine White and game 2k+1 Black in
// the same opening.
function schedule(enginePath, opponents, openings, count, firstOpening = 0) {
  const games = [];
  for (const [j, opponent] of opponents.entries()) {
    const first = firstOpening + j * Math.ceil(count / 2);
    for (let k = 0; k < count; k++) {
      const opening = openings[(first + (k >> 1)) % openings.length];
      const engine = engineSpec(enginePath);
      const engineWhite = k % 2 === 0;
      games.push({
        opponent: opponent.label,
        engineWhite,
        opening,
        white: engineWhite ? engine : opponent,
        black: engineWhite ? opponent : engine,
      });
    }
  }
  return games;
}

// Runs the scheduled games, `concurrency` at a time (each game has one side
// thinking at any moment, so two games use about two cores).
async function runGames(games, { tc, concurrency = 1, maxPlies = 0, onGame = null, pgnFile = null }) {
  const results = new Array(games.length);
  let next = 0;
  const worker = async () => {
    while (next < games.length) {
      const i = next++;
      const g = games[i];
      const started = Date.now();
      const record = await playGame({ white: g.white, black: g.black, opening: g.opening, tc, maxPlies });
      record.seconds = (Date.now() - started) / 1000;
      record.opponent = g.opponent;
      record.engineWhite = g.engineWhite;
      results[i] = record;
      if (pgnFile) fs.appendFileSync(pgnFile, record.pgn + '\n\n');
      if (onGame) onGame(record, i, games.length);
    }
  };
  await Promise.all(Array.from({ length: Math.max(1, concurrency) }, worker));
  return results;
}

// Faults of the engine under test in one game record (the opponent's own
// faults, such as stockfish running out of time, are not the engine's).
function engineFaults(record) {
  return record.faults.filter((f) => f.player === 'engine' || f.player === 'self');
}

// The score of a game from the engine's side: 'win' | 'draw' | 'loss'.
function engineOutcome(record) {
  if (record.result === '1/2-1/2') return 'draw';
  const whiteWon = record.result === '1-0';
  return whiteWon === record.engineWhite ? 'win' : 'loss';
}

function summarize(records) {
  const perOpponent = new Map();
  const totals = { games: 0, timeLosses: 0, illegal: 0, crashes: 0, noAnswer: 0, protocol: 0, opponentFaults: 0 };
  const engineTime = { maxShare: 0, minLeftMs: Infinity, moves: 0, usedMs: 0 };
  for (const r of records) {
    totals.games += 1;
    const row = perOpponent.get(r.opponent) || { games: 0, win: 0, draw: 0, loss: 0, white: 0, black: 0, reasons: {} };
    row.games += 1;
    row[engineOutcome(r)] += 1;
    if (r.result === '1-0') row.white += 1;
    if (r.result === '0-1') row.black += 1;
    row.reasons[r.reason] = (row.reasons[r.reason] || 0) + 1;
    perOpponent.set(r.opponent, row);
    for (const f of r.faults) {
      const mine = f.player === 'engine' || f.player === 'self';
      if (!mine) totals.opponentFaults += 1;
      else if (f.kind === 'time') totals.timeLosses += 1;
      else if (f.kind === 'illegal') totals.illegal += 1;
      else if (f.kind === 'crash') totals.crashes += 1;
      else if (f.kind === 'no-answer') totals.noAnswer += 1;
    }
    totals.protocol += r.problems.length;
    for (const side of ['w', 'b']) {
      const label = side === 'w' ? r.white : r.black;
      if (label !== 'engine' && label !== 'self') continue;
      const s = r.stats[side];
      engineTime.maxShare = Math.max(engineTime.maxShare, s.maxShare);
      if (s.moves > 0) engineTime.minLeftMs = Math.min(engineTime.minLeftMs, s.minLeftMs);
      engineTime.moves += s.moves;
      engineTime.usedMs += s.usedMs;
    }
  }
  return { perOpponent, totals, engineTime };
}

// The Elo difference a score implies, with the half-width of its 95% interval
// from the spread of the game results (null when the score is 0 or 1).
function eloEstimate({ games, win, draw, loss }) {
  if (games === 0) return null;
  const mean = (win + draw / 2) / games;
  const elo = (p) => -400 * Math.log10(1 / p - 1);
  if (mean <= 0 || mean >= 1) return null;
  const variance = (win * (1 - mean) ** 2 + draw * (0.5 - mean) ** 2 + loss * mean ** 2) / games;
  const margin = 1.96 * Math.sqrt(variance / games);
  const lower = Math.max(mean - margin, 1e-6);
  const upper = Math.min(mean + margin, 1 - 1e-6);
  return { elo: elo(mean), error: (elo(upper) - elo(lower)) / 2 };
}

function eloText(e) {
  return e ? `, Elo ${e.elo >= 0 ? '+' : ''}${e.elo.toFixed(0)} ± ${e.error.toFixed(0)}` : '';
}

function formatSummary(summary) {
  const lines = [];
  const { perOpponent, totals, engineTime } = summary;
  lines.push(`games: ${totals.games}`);
  for (const [name, row] of perOpponent) {
    const score = row.win + row.draw / 2;
    const reasons = Object.entries(row.reasons)
      .map(([k, v]) => `${k} ${v}`)
      .join(', ');
    if (name === 'self') {
      lines.push(
        `  self-play: ${row.games} games, White won ${row.white}, drawn ${row.draw}, Black won ${row.black}; ${reasons}`,
      );
    } else {
      lines.push(
        `  vs ${name}: ${row.games} games, engine +${row.win} =${row.draw} -${row.loss} (${score}/${row.games}` +
          `${eloText(eloEstimate(row))}); ${reasons}`,
      );
    }
  }
  lines.push(`losses on time: ${totals.timeLosses}`);
  lines.push(`illegal moves: ${totals.illegal}`);
  lines.push(`crashes: ${totals.crashes}`);
  lines.push(`stopped answering: ${totals.noAnswer}`);
  lines.push(`protocol errors: ${totals.protocol}`);
  lines.push(`opponent faults: ${totals.opponentFaults}`);
  if (engineTime.moves > 0) {
    lines.push(
      `engine time: ${engineTime.moves} moves, mean ${(engineTime.usedMs / engineTime.moves).toFixed(0)} ms/move, ` +
        `largest share of its clock in one move ${(engineTime.maxShare * 100).toFixed(1)}%, ` +
        `lowest clock left ${engineTime.minLeftMs.toFixed(0)} ms`,
    );
  }
  return lines.join('\n');
}

module.exports = {
  parseTimeControl,
  schedule,
  runGames,
  engineFaults,
  engineOutcome,
  summarize,
  formatSummary,
  eloEstimate,
};
