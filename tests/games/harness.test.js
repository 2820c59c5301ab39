#!/usr/bin/env node
'use strict';
// Checks of the harness itself, against the scripted stand-in engine: every
// fault the games and probes claim to catch is produced on purpose and must
// be reported, and an honest player must pass clean. Runs in seconds and
// needs neither the engine nor stockfish.

require('./lib/deps');
const { test, describe } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { Chess } = require('chess.js');
const { loadOpenings, parseOpeningLine } = require('./lib/openings');
const { fakeSpec } = require('./lib/players');
const { playGame, refereeVerdict, positionCommand } = require('./lib/game');
const { parseTimeControl, summarize, engineOutcome, schedule, eloEstimate } = require('./lib/match');
const { probeIsreadyAndStop, probeQuitDuringSearch, probeEndOfInput, probePositions, median } = require('./lib/protocol');

const openings = loadOpenings();
const start = { name: 'start', fen: null, moves: [], finalFen: new Chess().fen() };
const quick = { baseMs: 400, incMs: 0 };

// A short game of the honest random mover against a misbehaving one.
const against = (mode, asWhite = true, tc = { baseMs: 20000, incMs: 10 }, graceMs = 300) => {
  const bad = fakeSpec(mode);
  const good = fakeSpec('random');
  const [white, black] = asWhite ? [bad, good] : [good, bad];
  return playGame({ white, black, opening: start, tc, graceMs, maxPlies: 60 });
};

describe('openings file', () => {
  test('holds at least 20 distinct legal positions of both kinds', () => {
    assert.ok(openings.length >= 20, `${openings.length} openings`);
    const fens = new Set(openings.map((o) => o.finalFen.split(' ').slice(0, 4).join(' ')));
    assert.equal(fens.size, openings.length, 'two openings reach the same position');
    assert.ok(openings.some((o) => o.fen) && openings.some((o) => !o.fen));
    assert.ok(openings.some((o) => o.finalFen.split(' ')[1] === 'b'), 'some position has Black to move');
    assert.ok(probePositions(openings).length >= 20, 'enough middlegame positions for the probes');
  });

  test('rejects illegal moves and malformed lines', () => {
    assert.throws(() => parseOpeningLine('bad | moves e2e4 e2e4'), /illegal move e2e4/);
    assert.throws(() => parseOpeningLine('no bar moves e2e4'), /no "\|"/);
    assert.throws(() => parseOpeningLine('empty | '), /expected/);
    assert.throws(() => parseOpeningLine('mate | moves f2f3 e7e5 g2g4 d8h4'), /already over/);
    const o = parseOpeningLine('ep | fen 4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2 moves e5d6');
    assert.equal(o.fen, '4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2');
    assert.deepEqual(o.moves, ['e5d6']);
  });

  test('position commands carry the FEN or startpos and the moves', () => {
    assert.equal(positionCommand(start, []), 'position startpos');
    assert.equal(positionCommand(start, ['e2e4', 'e7e5']), 'position startpos moves e2e4 e7e5');
    const f = { fen: '4k3/8/8/8/8/8/8/4K3 w - - 0 1' };
    assert.equal(positionCommand(f, ['e1d1']), 'position fen 4k3/8/8/8/8/8/8/4K3 w - - 0 1 moves e1d1');
  });
});

describe('referee', () => {
  const verdict = (fen, moves = []) => {
    const c = new Chess(fen);
    for (const m of moves) c.move(m);
    return refereeVerdict(c);
  };
  test('ends the game on mate, stalemate, dead positions, fifty moves and threefold repetition', () => {
    assert.deepEqual(verdict(undefined, ['f3', 'e5', 'g4', 'Qh4#']), { result: '0-1', reason: 'checkmate' });
    assert.deepEqual(verdict('7k/5Q2/6K1/8/8/8/8/8 b - - 0 1'), { result: '1/2-1/2', reason: 'stalemate' });
    assert.deepEqual(verdict('8/8/4k3/8/8/3NK3/8/8 w - - 0 1'), { result: '1/2-1/2', reason: 'insufficient material' });
    assert.deepEqual(verdict('8/8/4k3/8/8/3RK3/8/8 w - - 100 80'), { result: '1/2-1/2', reason: 'fifty-move rule' });
    const shuffle = ['Nf3', 'Nf6', 'Ng1', 'Ng8', 'Nf3', 'Nf6', 'Ng1', 'Ng8'];
    assert.deepEqual(verdict(undefined, shuffle), { result: '1/2-1/2', reason: 'threefold repetition' });
    assert.equal(verdict(undefined, shuffle.slice(0, 7)), null);
    assert.equal(verdict('8/8/4k3/8/8/3RK3/8/8 w - - 99 80'), null);
  });
});

describe('games catch faulty players', () => {
  test('an honest random game is refereed to its end without faults', { timeout: 60000 }, async () => {
    const r = await playGame({ white: fakeSpec('random'), black: fakeSpec('random'), opening: start, tc: { baseMs: 60000, incMs: 0 } });
    assert.deepEqual(r.faults, []);
    assert.deepEqual(r.problems, []);
    // Replaying the record reaches the position the referee ended on.
    const c = new Chess();
    for (const m of r.moves) c.move({ from: m.slice(0, 2), to: m.slice(2, 4), promotion: m[4] });
    assert.deepEqual(refereeVerdict(c), { result: r.result, reason: r.reason });
    assert.equal(c.fen(), r.finalFen);
  });

  test('each side is charged the time it used and given the increment', { timeout: 30000 }, async () => {
    const tc = { baseMs: 3000, incMs: 250 };
    const r = await playGame({ white: fakeSpec('random'), black: fakeSpec('random'), opening: start, tc, maxPlies: 12 });
    assert.equal(r.clockLog.length, 12);
    const clockOf = (entry, side) => (side === 'w' ? entry.wtime : entry.btime);
    for (let i = 0; i + 2 < r.clockLog.length; i++) {
      const [mine, theirs, next] = r.clockLog.slice(i, i + 3);
      const side = mine.side;
      assert.notEqual(theirs.side, side);
      const expected = clockOf(mine, side) - mine.usedMs + tc.incMs;
      assert.ok(Math.abs(clockOf(next, side) - expected) <= 1, `move ${i + 2}: ${clockOf(next, side)} vs ${expected}`);
      assert.equal(clockOf(theirs, side), clockOf(next, side), 'a clock stands still while the other side thinks');
    }
    assert.equal(r.clockLog[0].wtime, 3000);
    assert.equal(r.clockLog[1].btime, 3000);
  });

  test('an illegal move loses and is reported', { timeout: 30000 }, async () => {
    const r = await against('illegal', false);
    assert.equal(r.result, '1-0');
    assert.equal(r.reason, 'illegal move');
    assert.equal(r.faults.length, 1);
    assert.equal(r.faults[0].kind, 'illegal');
    assert.equal(r.faults[0].side, 'b');
  });

  test('a player that never answers is caught within its clock and grace', { timeout: 30000 }, async () => {
    const r = await against('hang', true, quick);
    assert.deepEqual(
      r.faults.map((f) => [f.side, f.kind]),
      [['w', 'no-answer']],
    );
    assert.equal(r.result, '0-1');
  });

  test('a move made after the clock ran out loses on time', { timeout: 30000 }, async () => {
    // The stand-in answers 100 ms after its clock ran out: late, not silent.
    const r = await against('slow', true, quick, 3000);
    assert.deepEqual(
      r.faults.map((f) => [f.side, f.kind]),
      [['w', 'time']],
    );
    assert.equal(r.reason, 'time forfeit');
  });

  test('a player that dies is reported as a crash', { timeout: 30000 }, async () => {
    const r = await against('crash', false);
    assert.deepEqual(
      r.faults.map((f) => [f.side, f.kind]),
      [['b', 'crash']],
    );
    assert.match(r.faults[0].detail, /status 3/);
  });

  test('a player given by a path relative to the caller still starts', { timeout: 30000 }, async () => {
    // Each player runs in a directory of its own, so the harness must not
    // hand it a relative path as it stands: "bin/node" exists only here.
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'relative-path-'));
    fs.mkdirSync(path.join(dir, 'bin'));
    fs.symlinkSync(process.execPath, path.join(dir, 'bin', 'node'));
    const home = process.cwd();
    process.chdir(dir);
    try {
      const white = { ...fakeSpec('random'), command: 'bin/node' };
      const r = await playGame({ white, black: fakeSpec('random'), opening: start, tc: quick, graceMs: 300, maxPlies: 6 });
      assert.deepEqual(r.faults, []);
    } finally {
      process.chdir(home);
      fs.rmSync(dir, { recursive: true, force: true });
    }
  });

  test('an ERROR line, sloppy replies and a wrong exit status are protocol problems', { timeout: 60000 }, async () => {
    const errorLine = await against('error-line');
    assert.equal(errorLine.faults.length, 0);
    assert.equal(errorLine.problems.length, 1);
    assert.match(errorLine.problems[0], /forbidden line.*ERROR test_eval/);

    const sloppy = await against('sloppy');
    assert.ok(sloppy.problems.some((p) => /uciok line is "uciok"/.test(p)));
    assert.ok(sloppy.problems.some((p) => /readyok line is "readyok"/.test(p)));

    const quit0 = await against('quit0');
    assert.ok(quit0.problems.some((p) => /exit status 0 .*after "quit", expected 1/.test(p)));
  });
});

describe('protocol probes', () => {
  const positions = probePositions(openings);
  test('an honest player passes and every delay is measured', { timeout: 60000 }, async () => {
    const r = await probeIsreadyAndStop(fakeSpec('random'), positions, { tries: 4, boundMs: 3000 });
    assert.deepEqual(r.problems, []);
    assert.equal(r.isreadyMs.length, 4);
    assert.equal(r.stopMs.length, 4);
    const q = await probeQuitDuringSearch(fakeSpec('random'), positions, { tries: 1, boundMs: 3000 });
    assert.deepEqual(q.problems, []);
    const e = await probeEndOfInput(fakeSpec('random'));
    assert.deepEqual(e.problems, []);
  });

  test('isready ignored during a search is reported, stop still measured', { timeout: 60000 }, async () => {
    const r = await probeIsreadyAndStop(fakeSpec('deaf'), positions, { tries: 2, boundMs: 1500 });
    assert.equal(r.isreadyMs.length, 0);
    assert.equal(r.stopMs.length, 2);
    assert.ok(r.problems.some((p) => /isready during search: no readyok/.test(p)));
  });

  test('a wrong exit status after quit during a search is reported', { timeout: 30000 }, async () => {
    const q = await probeQuitDuringSearch(fakeSpec('quit0'), positions, { tries: 1, boundMs: 3000 });
    assert.ok(q.problems.some((p) => /exit status 0/.test(p)));
  });
});

describe('match bookkeeping', () => {
  test('time controls parse to milliseconds and bad ones are refused', () => {
    assert.deepEqual(parseTimeControl('10+0.1'), { baseMs: 10000, incMs: 100 });
    assert.deepEqual(parseTimeControl('2.5'), { baseMs: 2500, incMs: 0 });
    assert.throws(() => parseTimeControl('10m'), /bad time control/);
  });

  test('each opening is played with both colours', () => {
    const games = schedule('/bin/engine', [{ label: 'sf' }], openings, 4, 3);
    assert.deepEqual(
      games.map((g) => [g.opening.name, g.engineWhite, g.white.label, g.black.label]),
      [
        [openings[3].name, true, 'engine', 'sf'],
        [openings[3].name, false, 'sf', 'engine'],
        [openings[4].name, true, 'engine', 'sf'],
        [openings[4].name, false, 'sf', 'engine'],
      ],
    );
    // A second opponent goes on with the next openings, round the end of the list.
    const two = schedule('/bin/engine', [{ label: 'a' }, { label: 'b' }], openings, 2 * openings.length - 2);
    const names = (label) => new Set(two.filter((g) => g.opponent === label).map((g) => g.opening.name));
    assert.equal(names('a').size, openings.length - 1);
    assert.equal(names('b').size, openings.length - 1);
    assert.equal(two.find((g) => g.opponent === 'b').opening.name, openings[openings.length - 1].name);
  });

  test('the summary scores games from the engine side and counts only its faults', () => {
    const rec = (opponent, engineWhite, result, faults = [], problems = []) => ({
      opponent,
      engineWhite,
      result,
      reason: 'x',
      faults,
      problems,
      white: engineWhite ? 'engine' : opponent,
      black: engineWhite ? opponent : 'engine',
      stats: {
        w: { moves: 1, usedMs: 10, maxShare: 0.1, minLeftMs: 900 },
        b: { moves: 1, usedMs: 30, maxShare: 0.3, minLeftMs: 700 },
      },
    });
    assert.equal(engineOutcome(rec('sf', false, '0-1')), 'win');
    assert.equal(engineOutcome(rec('sf', true, '0-1')), 'loss');
    const s = summarize([
      rec('sf', true, '1-0'),
      rec('sf', false, '1-0', [{ player: 'engine', kind: 'time' }]),
      rec('sf', true, '1-0', [{ player: 'sf', kind: 'time' }]),
      rec('rnd', true, '1/2-1/2', [], ['p']),
    ]);
    assert.deepEqual(
      { ...s.perOpponent.get('sf'), reasons: undefined },
      { games: 3, win: 2, draw: 0, loss: 1, white: 3, black: 0, reasons: undefined },
    );
    assert.equal(s.totals.timeLosses, 1);
    assert.equal(s.totals.opponentFaults, 1);
    assert.equal(s.totals.protocol, 1);
    assert.equal(s.engineTime.maxShare, 0.3); // the engine played Black in game 2
    assert.equal(median([5, 1, 3, 100]), 4);
    // 60 wins, 30 draws, 10 losses: a 75% score, +191 Elo.
    const e = eloEstimate({ games: 100, win: 60, draw: 30, loss: 10 });
    assert.equal(Math.round(e.elo), 191);
    assert.ok(e.error > 50 && e.error < 100, String(e.error));
    assert.equal(eloEstimate({ games: 4, win: 4, draw: 0, loss: 0 }), null);
  });
});
