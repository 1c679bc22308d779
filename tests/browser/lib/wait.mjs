// Waiting for a state that comes about by itself: the navigator answers
// every action later, as events. A wait has a generous bound so that a
// missing answer fails the test instead of hanging it; how long the answer
// took is never checked.

const BOUND_MS = 30000;
const POLL_MS = 50;

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Reads the state with `read` until `done(state)` holds; returns that state.
// On timeout the error names `what` and the last state read.
export async function waitFor(read, done, what, boundMs = BOUND_MS) {
  const deadline = Date.now() + boundMs;
  for (;;) {
    let state;
    try {
      state = await read();
      if (done(state)) return state;
    } catch (error) {
      state = `error: ${error.message}`;
    }
    if (Date.now() > deadline) {
      throw new Error(`timed out waiting for ${what}; last seen: ${JSON.stringify(state)}`);
    }
    await sleep(POLL_MS);
  }
}
