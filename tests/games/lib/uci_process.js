'use strict';
// One UCI engine as a child process, seen the way a GUI sees it: lines go in
// on its standard input, every line it prints is kept with the time it
// arrived, and callers wait for the next line that satisfies a test.

const { spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { performance } = require('node:perf_hooks');

class UciProcess {
  // name: label used in reports. cwd: working directory for the child; when
  // absent a fresh temporary directory is made (the engine reads and writes
  // parameter files in its working directory) and removed by close().
  constructor(command, args = [], { name = path.basename(command), cwd = null } = {}) {
    // The child runs in its own directory, so a path relative to ours
    // ("build/tavox") must be made absolute first; a bare name is looked up
    // in PATH as usual.
    this.command = command.includes('/') ? path.resolve(command) : command;
    this.args = args;
    this.name = name;
    this.ownsCwd = cwd === null;
    this.cwd = cwd || fs.mkdtempSync(path.join(os.tmpdir(), 'uci-games-'));
    this.lines = []; // { text, t } for every line printed, in order
    this.sent = []; // { text, t } for every line written to the engine
    this.cursor = 0; // first line not yet taken by waitFor
    this.partial = '';
    this.stderr = '';
    this.exit = null; // { code, signal, t } once the process has ended
    this.waiters = [];
    this.exitWaiters = [];
    this.spawnError = null;
  }

  start() {
    this.child = spawn(this.command, this.args, { cwd: this.cwd, stdio: ['pipe', 'pipe', 'pipe'] });
    this.child.stdout.setEncoding('latin1');
    this.child.stderr.setEncoding('latin1');
    this.child.stdout.on('data', (chunk) => this.onData(chunk));
    this.child.stderr.on('data', (chunk) => {
      this.stderr += chunk;
    });
    // A write after the engine died raises EPIPE on the stream; the exit
    // itself is what gets reported.
    this.child.stdin.on('error', () => {});
    this.child.on('error', (err) => {
      this.spawnError = err;
      this.onExit(null, null);
    });
    this.child.on('close', (code, signal) => this.onExit(code, signal));
    return this;
  }

  onData(chunk) {
    const t = performance.now();
    const parts = (this.partial + chunk).split('\n');
    this.partial = parts.pop();
    for (const text of parts) {
      this.lines.push({ text, t });
    }
    if (parts.length > 0) this.wake();
  }

  onExit(code, signal) {
    if (this.exit) return;
    if (this.partial !== '') {
      this.lines.push({ text: this.partial, t: performance.now() });
      this.partial = '';
    }
    this.exit = { code, signal, t: performance.now() };
    this.wake();
    for (const w of this.exitWaiters.splice(0)) w();
  }

  get alive() {
    return this.exit === null;
  }

  // Writes one command line and returns the time it was handed to the pipe.
  send(text) {
    const t = performance.now();
    this.sent.push({ text, t });
    if (this.alive && this.child.stdin.writable) this.child.stdin.write(text + '\n');
    return t;
  }

  closeInput() {
    if (this.child && this.child.stdin.writable) this.child.stdin.end();
  }

  // Resolves with { ok: true, line, t, index } for the first line from the
  // cursor on that satisfies test (the cursor moves past it), or with
  // { ok: false, reason: 'timeout' | 'exit' } when none comes in time.
  waitFor(test, timeoutMs) {
    return new Promise((resolve) => {
      const waiter = { test, resolve, timer: null };
      if (this.tryWaiter(waiter)) return;
      waiter.timer = setTimeout(() => {
        this.waiters = this.waiters.filter((w) => w !== waiter);
        resolve({ ok: false, reason: 'timeout' });
      }, Math.max(0, timeoutMs));
      this.waiters.push(waiter);
    });
  }

  // The next line, whatever it says.
  nextLine(timeoutMs) {
    return this.waitFor(() => true, timeoutMs);
  }

  tryWaiter(waiter) {
    while (this.cursor < this.lines.length) {
      const index = this.cursor++;
      const entry = this.lines[index];
      if (waiter.test(entry.text)) {
        if (waiter.timer) clearTimeout(waiter.timer);
        waiter.resolve({ ok: true, line: entry.text, t: entry.t, index });
        return true;
      }
    }
    if (this.exit) {
      if (waiter.timer) clearTimeout(waiter.timer);
      waiter.resolve({ ok: false, reason: 'exit' });
      return true;
    }
    return false;
  }

  wake() {
    // Only one waiter is expected at a time; serve them in order.
    while (this.waiters.length > 0 && this.tryWaiter(this.waiters[0])) this.waiters.shift();
  }

  // Resolves with the exit record, or null when the process is still running
  // after timeoutMs.
  waitExit(timeoutMs) {
    if (this.exit) return Promise.resolve(this.exit);
    return new Promise((resolve) => {
      const timer = setTimeout(() => resolve(null), timeoutMs);
      this.exitWaiters.push(() => {
        clearTimeout(timer);
        resolve(this.exit);
      });
    });
  }

  // Kills the process if it still runs, and removes the temporary directory.
  async close() {
    if (this.child && this.alive) {
      this.child.kill('SIGKILL');
      await this.waitExit(5000);
    }
    if (this.ownsCwd) fs.rmSync(this.cwd, { recursive: true, force: true });
  }

  // The last few lines exchanged, for failure messages.
  transcriptTail(count = 12) {
    const all = [
      ...this.sent.map((s) => ({ t: s.t, text: '> ' + s.text })),
      ...this.lines.map((l) => ({ t: l.t, text: '< ' + JSON.stringify(l.text) })),
    ].sort((a, b) => a.t - b.t);
    return all
      .slice(-count)
      .map((e) => e.text)
      .join('\n');
  }
}

module.exports = { UciProcess };
