'use strict';
// The players of a game: the engine under test, Debian's stockfish weakened
// through its own UCI options, and the scripted stand-in engine of
// fake_engine.js. A player is opened like a GUI opens an engine ("uci",
// options, "isready", "ucinewgame", "isready") and closed with "quit".

const fs = require('node:fs');
const path = require('node:path');
const { UciProcess } = require('./uci_process');

const FAKE_ENGINE = path.join(__dirname, '..', 'fake_engine.js');

// Lines the engine under test prints only when something inside it is wrong
// (self-checks, the consistency test) or when it rejected our input.
const FORBIDDEN_PREFIXES = ['ERROR', 'white test_', 'WARNING'];

function findStockfish() {
  if (process.env.STOCKFISH) return fs.existsSync(process.env.STOCKFISH) ? process.env.STOCKFISH : null;
  const dirs = (process.env.PATH || '').split(path.delimiter).concat(['/usr/games', '/usr/local/games']);
  for (const dir of dirs) {
    const candidate = path.join(dir, 'stockfish');
    try {
      fs.accessSync(candidate, fs.constants.X_OK);
      return candidate;
    } catch {
      // not here
    }
  }
  return null;
}

// The engine under test. strict: its replies are held to the exact texts
// ("uciok ", "readyok " and an empty line, exit status 1 on "quit") and its
// output must hold no forbidden line.
function engineSpec(enginePath, { label = 'engine', hashMb = 16, strict = true } = {}) {
  const options = hashMb ? [['Hash', String(hashMb)]] : [];
  return { label, command: enginePath, args: [], strict, options, quitStatus: strict ? 1 : null };
}

// Debian's stockfish at a given "Skill Level" (0 weakest .. 20 full strength),
// one thread and a small table so that it leaves the second core alone. A
// larger move overhead keeps it on time when the machine is busy.
function stockfishSpec(skill, stockfishPath = findStockfish()) {
  if (!stockfishPath) throw new Error('stockfish not found (install the Debian package "stockfish")');
  return {
    label: `stockfish-skill${skill}`,
    command: stockfishPath,
    args: [],
    strict: false,
    options: [
      ['Threads', '1'],
      ['Hash', '16'],
      ['Skill Level', String(skill)],
      ['Move Overhead', '100'],
    ],
    quitStatus: null,
  };
}

// The stand-in engine; mode "random" is an honest random mover, the other
// modes misbehave on purpose (see fake_engine.js).
function fakeSpec(mode = 'random', { strict = true, label = `fake-${mode}`, extraArgs = [] } = {}) {
  return {
    label,
    command: process.execPath,
    args: [FAKE_ENGINE, mode, ...extraArgs],
    strict,
    options: [],
    quitStatus: strict ? 1 : null,
  };
}

// Parses an opponent name of the command line: "sf:N" (stockfish at skill N),
// "self" (the engine itself), "build:PATH" (another build of the engine, held
// to the same replies), "random" (random mover).
function opponentSpec(name, enginePath) {
  if (name === 'self') return engineSpec(enginePath, { label: 'self' });
  if (name.startsWith('build:')) return engineSpec(path.resolve(name.slice(6)), { label: 'build' });
  if (name === 'random') return fakeSpec('random', { label: 'random', strict: false });
  const m = /^sf:(\d+)$/.exec(name);
  if (m) return stockfishSpec(Number(m[1]));
  throw new Error(`unknown opponent "${name}" (use sf:N, self, build:PATH or random)`);
}

const HANDSHAKE_TIMEOUT_MS = 10000;

// The empty line is written right after "readyok ", so it has no reason to
// lag behind by more than this.
const EMPTY_LINE_TIMEOUT_MS = 1000;

// Waits for the reply to "isready". Strict players must answer "readyok "
// followed by an empty line. Returns the arrival time of the reply or null.
async function expectReadyok(proc, player, problems, timeoutMs, context) {
  const r = await proc.waitFor((l) => l.trimEnd() === 'readyok', timeoutMs);
  if (!r.ok) {
    problems.push(`${context}: no readyok (${r.reason})`);
    return null;
  }
  if (player.strict) {
    if (r.line !== 'readyok ') problems.push(`${context}: readyok line is ${JSON.stringify(r.line)}, expected "readyok "`);
    const next = await proc.nextLine(Math.min(timeoutMs, EMPTY_LINE_TIMEOUT_MS));
    if (!next.ok) problems.push(`${context}: no empty line after readyok (${next.reason})`);
    else if (next.line !== '') problems.push(`${context}: line after readyok is ${JSON.stringify(next.line)}, expected ""`);
  }
  return r.t;
}

// Starts the player's process and brings it to the point where it takes
// "position" and "go". Handshake faults are appended to problems.
async function openPlayer(player, problems) {
  const proc = new UciProcess(player.command, player.args, { name: player.label }).start();
  proc.send('uci');
  const uciok = await proc.waitFor((l) => l.trimEnd() === 'uciok', HANDSHAKE_TIMEOUT_MS);
  if (!uciok.ok) {
    problems.push(`${player.label}: no uciok (${uciok.reason})`);
    return proc;
  }
  if (player.strict && uciok.line !== 'uciok ') {
    problems.push(`${player.label}: uciok line is ${JSON.stringify(uciok.line)}, expected "uciok "`);
  }
  for (const [name, value] of player.options) proc.send(`setoption name ${name} value ${value}`);
  proc.send('isready');
  await expectReadyok(proc, player, problems, HANDSHAKE_TIMEOUT_MS, `${player.label} first isready`);
  proc.send('ucinewgame');
  proc.send('isready');
  await expectReadyok(proc, player, problems, HANDSHAKE_TIMEOUT_MS, `${player.label} isready after ucinewgame`);
  return proc;
}

// Lines of a strict player's output that begin with a forbidden prefix.
function forbiddenLines(proc) {
  return proc.lines.map((l) => l.text).filter((text) => FORBIDDEN_PREFIXES.some((p) => text.startsWith(p)));
}

// Sends "quit" (when the process still runs), checks the exit status a
// strict player owes, checks its output for forbidden lines, and cleans up.
async function closePlayer(proc, player, problems) {
  if (proc.alive) {
    proc.send('quit');
    const exit = await proc.waitExit(5000);
    if (!exit) problems.push(`${player.label}: still running 5 s after "quit"`);
    else if (player.quitStatus !== null && exit.code !== player.quitStatus) {
      problems.push(`${player.label}: exit status ${exit.code} (signal ${exit.signal}) after "quit", expected ${player.quitStatus}`);
    }
  }
  if (player.strict) {
    const bad = forbiddenLines(proc);
    if (bad.length > 0) {
      problems.push(`${player.label}: ${bad.length} forbidden line(s), first ${JSON.stringify(bad[0])}`);
    }
  }
  await proc.close();
}

module.exports = {
  FORBIDDEN_PREFIXES,
  findStockfish,
  engineSpec,
  stockfishSpec,
  fakeSpec,
  opponentSpec,
  openPlayer,
  closePlayer,
  expectReadyok,
  forbiddenLines,
};
