// The window's actions: URL-encoded POSTs to the core. They go out one after
// another so that the core sees them in the order the user made them.

let queue = Promise.resolve();

export function post(path, fields = {}) {
  queue = queue
    .then(() => fetch(path, {method: 'POST', body: new URLSearchParams(fields)}))
    .catch(() => {});  // the core has ended; the "closed" event says so
  return queue;
}

export function command(name) {
  return post('/api/command', {name});
}

export function flag(value) {
  return value ? '1' : '0';
}
