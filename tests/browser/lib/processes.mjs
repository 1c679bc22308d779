// Child programs of a test: started with their output collected, waited for
// a line of their output, and stopped — also when the test process itself
// dies, so that no server outlives a failed run.

import {spawn} from 'node:child_process';

const running = new Set();

process.on('exit', () => {
  for (const child of running) child.kill('SIGKILL');
});

// Starts `program` with `args`; `options` go to spawn (cwd, env). The result
// keeps what the program printed so far, for the messages of failed tests.
export function startProgram(program, args, options = {}) {
  const child = spawn(program, args, {...options, stdio: ['ignore', 'pipe', 'pipe']});
  const run = {child, stdout: '', stderr: '', exitCode: null, signal: null};
  running.add(child);
  child.stdout.setEncoding('utf8');
  child.stderr.setEncoding('utf8');
  child.stdout.on('data', (text) => (run.stdout += text));
  child.stderr.on('data', (text) => (run.stderr += text));
  run.exited = new Promise((resolve) => {
    child.on('error', (error) => {
      run.stderr += `\n${error.message}`;
      running.delete(child);
      resolve(-1);
    });
    child.on('exit', (code, signal) => {
      running.delete(child);
      run.exitCode = code;
      run.signal = signal;
      resolve(code);
    });
  });
  return run;
}

// The command line and the output so far, for an error message.
function report(run) {
  return `${run.child.spawnfile} ${run.child.spawnargs.slice(1).join(' ')}\n` +
    `stdout: ${run.stdout}\nstderr: ${run.stderr}`;
}

// The first match of `pattern` in the program's standard output, as soon as
// it is printed. Fails when the program ends before printing it.
export function waitForOutput(run, pattern) {
  return new Promise((resolve, reject) => {
    const look = () => {
      const match = run.stdout.match(pattern);
      if (!match) return false;
      run.child.stdout.off('data', look);
      resolve(match);
      return true;
    };
    if (look()) return;
    run.child.stdout.on('data', look);
    run.exited.then(() => {
      if (!look()) reject(new Error(`the program ended without printing ${pattern}\n${report(run)}`));
    });
  });
}

// Ends the program: SIGTERM, and SIGKILL when it is still there after
// `graceMs`. Resolves with the exit code (null after a signal).
export async function stopProgram(run, graceMs = 5000) {
  if (run.exitCode !== null || run.signal !== null || !running.has(run.child)) return run.exitCode;
  run.child.kill('SIGTERM');
  const timer = setTimeout(() => run.child.kill('SIGKILL'), graceMs);
  const code = await run.exited;
  clearTimeout(timer);
  return code;
}

// Runs a program to its end: {code, stdout, stderr}.
export async function runProgram(program, args, options = {}) {
  const run = startProgram(program, args, options);
  const code = await run.exited;
  return {code, stdout: run.stdout, stderr: run.stderr};
}
