#!/usr/bin/env node
'use strict';
// The short suite run by CTest: protocol checks during a search and a handful
// of games at a fast clock against weakened stockfish and against the engine
// itself, each game refereed by chess.js.
//
//   node tests/games/short.test.js --engine build/tavox [--tc 3+0.05] [--skill 3]

require('./lib/deps');
const { test, describe } = require('node:test');
const assert = require('node:assert/strict');
const { parseArgs } = require('node:util');
const { loadOpenings } = require('./lib/openings');
const { engineSpec, stockfishSpec, opponentSpec, findStockfish } = require('./lib/players');
const { playGame } = require('./lib/game');
const { parseTimeControl, engineFaults } = require('./lib/match');
const {
  probePositions,
  probeIsreadyAndStop,
  probeQuitDuringSearch,
  probeEndOfInput,
  delaySummary,
} = require('./lib/protocol');

const { values } = parseArgs({
  options: {
    engine: { type: 'string' },
    tc: { type: 'string', default: '3+0.05' },
    skill: { type: 'string', default: '3' },
    seed: { type: 'string', default: String(Date.now() % 100000) },
  },
});
if (!values.engine) {
  console.error('usage: node short.test.js --engine PATH [--tc BASE+INC] [--skill N] [--seed N]');
  process.exit(2);
}

const tc = parseTimeControl(values.tc);
const openings = loadOpenings();
const positions = probePositions(openings);
const engine = engineSpec(values.engine);
// A busy CI machine may be slow; a healthy engine answers in milliseconds.
const BOUND_MS = 3000;

const byName = (name) => {
  const o = openings.find((x) => x.name === name);
  if (!o) throw new Error(`no opening named ${name}`);
  return o;
};

const stockfishPath = findStockfish();
const opponent = stockfishPath ? stockfishSpec(Number(values.skill), stockfishPath) : opponentSpec('random');
const self = opponentSpec('self', values.engine);

// Two openings against the opponent and one self-play opening, each played
// with both colours.
const games = [];
for (const name of ['Sicilian, Najdorf', 'En passant on the first move']) {
  games.push({ white: engine, black: opponent, opening: byName(name) });
  games.push({ white: opponent, black: engine, opening: byName(name) });
}
const selfOpening = byName('Both sides may castle either way');
games.push({ white: engine, black: self, opening: selfOpening });
games.push({ white: self, black: engine, opening: selfOpening });

describe('UCI protocol during a search', () => {
  test('isready and stop during "go infinite" are answered at once', { timeout: 120000 }, async (t) => {
    const r = await probeIsreadyAndStop(engine, positions, { tries: 20, seed: Number(values.seed), boundMs: BOUND_MS });
    t.diagnostic(`seed ${values.seed}`);
    t.diagnostic(`isready -> readyok: ${delaySummary(r.isreadyMs)}`);
    t.diagnostic(`stop -> bestmove: ${delaySummary(r.stopMs)}`);
    assert.deepEqual(r.problems, []);
    assert.equal(r.isreadyMs.length, 20);
    assert.equal(r.stopMs.length, 20);
  });

  test('quit during a search ends the engine with status 1 and no bestmove', { timeout: 60000 }, async (t) => {
    const r = await probeQuitDuringSearch(engine, positions, { tries: 3, boundMs: BOUND_MS });
    t.diagnostic(`quit -> exit: ${delaySummary(r.quitMs)}`);
    assert.deepEqual(r.problems, []);
    assert.equal(r.quitMs.length, 3);
  });

  test('the end of input ends the engine with status 0', { timeout: 30000 }, async () => {
    const r = await probeEndOfInput(engine, { boundMs: BOUND_MS });
    assert.deepEqual(r.problems, []);
  });
});

describe(`games at ${values.tc} against ${opponent.label} and itself`, () => {
  if (!stockfishPath) {
    test('stockfish is installed', { skip: 'stockfish not found: the random mover stands in for it' }, () => {});
  }
  for (const g of games) {
    test(`${g.white.label} vs ${g.black.label}: ${g.opening.name}`, { timeout: 240000 }, async (t) => {
      const r = await playGame({ white: g.white, black: g.black, opening: g.opening, tc });
      t.diagnostic(`${r.result} by ${r.reason} after ${r.moves.length} plies`);
      for (const side of ['w', 'b']) {
        const s = r.stats[side];
        if (s.moves > 0) {
          t.diagnostic(
            `${side === 'w' ? r.white : r.black}: ${s.moves} moves, mean ${(s.usedMs / s.moves).toFixed(0)} ms, ` +
              `longest ${s.maxMoveMs.toFixed(0)} ms, lowest clock ${s.minLeftMs.toFixed(0)} ms`,
          );
        }
      }
      const faults = engineFaults(r);
      const of = (...kinds) => faults.filter((f) => kinds.includes(f.kind));
      assert.deepEqual(of('illegal'), [], 'every bestmove of the engine is legal');
      assert.deepEqual(of('crash', 'no-answer'), [], 'the engine keeps running and answering');
      assert.deepEqual(of('time'), [], 'the engine does not lose on time');
      assert.deepEqual(r.problems, [], 'exact handshake, no ERROR/white test_/WARNING lines, status 1 on quit');
      assert.notEqual(r.reason, '', 'the game reached an end');
    });
  }
});
