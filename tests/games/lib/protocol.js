'use strict';
// Protocol checks while the engine searches: "isready" and "stop" during
// "go infinite", "quit" during a search, and the end of input. The delays
// from "isready" to "readyok " and from "stop" to "bestmove" are measured.

const { Chess } = require('chess.js');
const { openPlayer, closePlayer, expectReadyok } = require('./players');
const { positionCommand, legalMoveTexts } = require('./game');

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Small seeded generator so that a run can be repeated (mulberry32).
function makeRng(seed) {
  let a = seed >>> 0;
  return () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

// Positions with plenty of material: an infinite search there does not find
// a mate and end by itself within the few seconds a probe lasts.
function probePositions(openings) {
  return openings.filter((o) => o.finalFen.split(' ')[0].replace(/[^a-zA-Z]/g, '').length >= 20);
}

function bestmoveLinesSince(proc, index) {
  return proc.lines.slice(index).filter((l) => l.text.startsWith('bestmove'));
}

// One engine process takes `tries` searches in turn. Each: "position",
// "go infinite", a first output line (the search runs), a random pause,
// "isready" (answer timed), another pause, "stop" (bestmove timed and
// checked for legality), then "isready" again outside the search.
async function probeIsreadyAndStop(player, positions, { tries = 20, seed = 1, boundMs = 3000 } = {}) {
  const rng = makeRng(seed);
  const out = { isreadyMs: [], stopMs: [], problems: [], tries: 0 };
  const proc = await openPlayer(player, out.problems);
  for (let i = 0; i < tries && proc.alive; i++) {
    const pos = positions[i % positions.length];
    const label = `try ${i + 1} (${pos.name})`;
    out.tries += 1;
    proc.send(positionCommand(pos, pos.moves));
    const goIndex = proc.lines.length;
    proc.send('go infinite');
    const started = await proc.waitFor((l) => l.startsWith('info'), boundMs);
    if (!started.ok) {
      out.problems.push(`${label}: no info line after "go infinite" (${started.reason})`);
      break;
    }
    await sleep(50 + Math.floor(rng() * 700));

    if (bestmoveLinesSince(proc, goIndex).length > 0) {
      out.problems.push(`${label}: bestmove before isready/stop during "go infinite"`);
    }
    const readyAt = proc.send('isready');
    const readyT = await expectReadyok(proc, player, out.problems, boundMs, `${label} isready during search`);
    if (readyT !== null) out.isreadyMs.push(readyT - readyAt);

    await sleep(Math.floor(rng() * 300));
    const early = bestmoveLinesSince(proc, goIndex);
    if (early.length > 0) {
      out.problems.push(`${label}: bestmove before stop during "go infinite"`);
    }
    const stopAt = proc.send('stop');
    const reply =
      early.length > 0
        ? { ok: true, line: early[0].text, t: stopAt }
        : await proc.waitFor((l) => l.startsWith('bestmove'), boundMs);
    if (!reply.ok) {
      out.problems.push(`${label}: no bestmove ${boundMs} ms after stop (${reply.reason})`);
      break;
    }
    if (early.length === 0) out.stopMs.push(reply.t - stopAt);
    const text = reply.line.split(/\s+/)[1] || '';
    const legal = legalMoveTexts(new Chess(pos.finalFen));
    if (!legal.has(text)) out.problems.push(`${label}: illegal ${JSON.stringify(reply.line)} in ${pos.finalFen}`);

    proc.send('isready');
    await expectReadyok(proc, player, out.problems, boundMs, `${label} isready after the search`);
    if (bestmoveLinesSince(proc, goIndex).length !== 1) {
      out.problems.push(`${label}: ${bestmoveLinesSince(proc, goIndex).length} bestmove lines for one go`);
    }
  }
  if (!proc.alive) out.problems.push(`engine ended during the probes (status ${proc.exit.code}, signal ${proc.exit.signal})`);
  await closePlayer(proc, player, out.problems);
  return out;
}

// "quit" during "go infinite": the process must end with status 1 and
// print no bestmove. Each try uses a fresh process.
async function probeQuitDuringSearch(player, positions, { tries = 3, seed = 2, boundMs = 3000 } = {}) {
  const rng = makeRng(seed);
  const out = { quitMs: [], problems: [], tries: 0 };
  for (let i = 0; i < tries; i++) {
    const pos = positions[(i * 7) % positions.length];
    const label = `quit try ${i + 1} (${pos.name})`;
    out.tries += 1;
    const proc = await openPlayer(player, out.problems);
    proc.send(positionCommand(pos, pos.moves));
    const goIndex = proc.lines.length;
    proc.send('go infinite');
    const started = await proc.waitFor((l) => l.startsWith('info'), boundMs);
    if (!started.ok) out.problems.push(`${label}: no info line after "go infinite" (${started.reason})`);
    await sleep(50 + Math.floor(rng() * 700));
    const quitAt = proc.send('quit');
    const exit = await proc.waitExit(boundMs);
    if (!exit) {
      out.problems.push(`${label}: still running ${boundMs} ms after quit`);
    } else {
      out.quitMs.push(exit.t - quitAt);
      if (player.quitStatus !== null && exit.code !== player.quitStatus) {
        out.problems.push(`${label}: exit status ${exit.code} (signal ${exit.signal}), expected ${player.quitStatus}`);
      }
      const bm = bestmoveLinesSince(proc, goIndex);
      if (bm.length > 0) out.problems.push(`${label}: printed ${JSON.stringify(bm[0].text)} although it was told to quit`);
    }
    await proc.close();
  }
  return out;
}

// Closing the input outside a search ends the engine with status 0.
async function probeEndOfInput(player, { boundMs = 3000 } = {}) {
  const problems = [];
  const proc = await openPlayer(player, problems);
  proc.closeInput();
  const exit = await proc.waitExit(boundMs);
  if (!exit) problems.push(`still running ${boundMs} ms after the end of its input`);
  else if (exit.code !== 0) problems.push(`exit status ${exit.code} (signal ${exit.signal}) at the end of input, expected 0`);
  await proc.close();
  return { problems };
}

function median(values) {
  if (values.length === 0) return NaN;
  const s = [...values].sort((a, b) => a - b);
  const mid = s.length >> 1;
  return s.length % 2 ? s[mid] : (s[mid - 1] + s[mid]) / 2;
}

function delaySummary(values) {
  if (values.length === 0) return 'n/a';
  return `median ${median(values).toFixed(1)} ms, worst ${Math.max(...values).toFixed(1)} ms over ${values.length}`;
}

module.exports = {
  makeRng,
  probePositions,
  probeIsreadyAndStop,
  probeQuitDuringSearch,
  probeEndOfInput,
  median,
  delaySummary,
  sleep,
};
