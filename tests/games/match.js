#!/usr/bin/env node
'use strict';
// The longer run: many games of the engine against weakened stockfish (and
// itself), plus the protocol probes, ending with a summary. Exits with status
// 1 when the engine made any fault (illegal move, loss on time, crash,
// silence, protocol error), 0 otherwise.
//
//   node tests/games/match.js --engine build/tavox --games 100 --tc 10+0.1 \
//        --opponents sf:3,sf:6 --concurrency 2 --pgn /tmp/games.pgn

require('./lib/deps');
const { parseArgs } = require('node:util');
const fs = require('node:fs');
const path = require('node:path');
const { loadOpenings } = require('./lib/openings');
const { opponentSpec, engineSpec, findStockfish } = require('./lib/players');
const { parseTimeControl, schedule, runGames, summarize, formatSummary, engineFaults } = require('./lib/match');
const {
  probePositions,
  probeIsreadyAndStop,
  probeQuitDuringSearch,
  probeEndOfInput,
  delaySummary,
} = require('./lib/protocol');

const USAGE = `usage: node match.js --engine PATH [options]
  --games N          games in all, shared evenly among the opponents (default 100)
  --tc BASE+INC      clock per side and increment in seconds (default 10+0.1)
  --opponents LIST   comma-separated: sf:N (stockfish, Skill Level N), self,
                     build:PATH (another build of the engine), random
                     (default sf:3,sf:6)
  --concurrency N    games played at once (default 1; 2 suits a 2-core machine)
  --probes N         isready/stop tries during "go infinite" (default 20, 0 to skip)
  --quit-probes N    quit-during-search tries (default 3)
  --max-plies N      adjudicate a draw after N plies (default 0: never)
  --first-opening N  index of the first opening used (default 0)
  --pgn FILE         append every game to FILE in PGN
  --seed N           seed of the probes' random pauses (default 1)
  --lenient          do not hold the engine to the exact reply texts (for trying
                     the harness with another engine)`;

async function main() {
  const { values } = parseArgs({
    options: {
      engine: { type: 'string' },
      games: { type: 'string', default: '100' },
      tc: { type: 'string', default: '10+0.1' },
      opponents: { type: 'string', default: 'sf:3,sf:6' },
      concurrency: { type: 'string', default: '1' },
      probes: { type: 'string', default: '20' },
      'quit-probes': { type: 'string', default: '3' },
      'max-plies': { type: 'string', default: '0' },
      'first-opening': { type: 'string', default: '0' },
      pgn: { type: 'string' },
      seed: { type: 'string', default: '1' },
      lenient: { type: 'boolean', default: false },
      help: { type: 'boolean', default: false },
    },
  });
  if (values.help || !values.engine) {
    console.log(USAGE);
    process.exit(values.help ? 0 : 2);
  }
  values.engine = path.resolve(values.engine);
  try {
    fs.accessSync(values.engine, fs.constants.X_OK);
  } catch (err) {
    console.error(`cannot run the engine ${values.engine}: ${err.code}`);
    process.exit(2);
  }
  const tc = parseTimeControl(values.tc);
  const openings = loadOpenings();
  const names = values.opponents.split(',').filter(Boolean);
  if (names.some((n) => n.startsWith('sf:')) && !findStockfish()) {
    console.error('stockfish not found: install the Debian package "stockfish" (tests/games/setup.sh does)');
    process.exit(2);
  }
  const opponents = names.map((n) => opponentSpec(n, values.engine));
  const perOpponent = Math.max(1, Math.round(Number(values.games) / opponents.length));
  const games = schedule(values.engine, opponents, openings, perOpponent, Number(values['first-opening']));
  if (values.lenient) {
    for (const g of games) for (const s of [g.white, g.black]) if (s.command === values.engine) Object.assign(s, { strict: false, quitStatus: null });
  }
  const engine = engineSpec(values.engine, { strict: !values.lenient });
  const probeOptions = { tries: Number(values.probes), seed: Number(values.seed) };
  const positions = probePositions(openings);

  console.log(`engine ${values.engine}; ${games.length} games at ${values.tc}; opponents ${names.join(', ')}`);
  const started = Date.now();
  let problems = [];

  let probes = null;
  if (probeOptions.tries > 0) {
    probes = await probeIsreadyAndStop(engine, positions, probeOptions);
    problems = problems.concat(probes.problems);
    console.log(`isready during search: ${delaySummary(probes.isreadyMs)}`);
    console.log(`stop during search:    ${delaySummary(probes.stopMs)}`);
  }
  if (Number(values['quit-probes']) > 0) {
    const quit = await probeQuitDuringSearch(engine, positions, { tries: Number(values['quit-probes']) });
    problems = problems.concat(quit.problems);
    console.log(`quit during search:    ${delaySummary(quit.quitMs)}`);
  }
  const eof = await probeEndOfInput(engine);
  problems = problems.concat(eof.problems);
  for (const p of problems) console.log(`PROTOCOL: ${p}`);

  const records = await runGames(games, {
    tc,
    concurrency: Number(values.concurrency),
    maxPlies: Number(values['max-plies']),
    pgnFile: values.pgn || null,
    onGame: (r, i, n) => {
      const faults = r.faults.map((f) => ` [${f.player} ${f.kind}: ${f.detail}]`).join('');
      const probs = r.problems.map((p) => ` [protocol: ${p}]`).join('');
      console.log(
        `[${i + 1}/${n}] ${r.white} vs ${r.black} (${r.opening}): ${r.result} ${r.reason}, ` +
          `${r.moves.length} plies, ${r.seconds.toFixed(1)} s${faults}${probs}`,
      );
    },
  });

  const summary = summarize(records);
  summary.totals.protocol += problems.length;
  console.log('\n=== summary ===');
  console.log(formatSummary(summary));
  if (probes) {
    console.log(`stop -> bestmove delay: ${delaySummary(probes.stopMs)}`);
    console.log(`isready -> readyok delay (during search): ${delaySummary(probes.isreadyMs)}`);
  }
  console.log(`wall time: ${((Date.now() - started) / 1000).toFixed(0)} s`);
  const bad = records.filter((r) => engineFaults(r).length > 0 || r.problems.length > 0).length + (problems.length > 0 ? 1 : 0);
  process.exit(bad > 0 ? 1 : 0);
}

main().catch((err) => {
  console.error(err.stack || String(err));
  process.exit(2);
});
