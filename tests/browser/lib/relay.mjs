// A relay on 127.0.0.1 between the navigator and the catalogue server that
// can hold the navigator's requests back, so that a test sees the navigator
// waiting for an answer (the wait dialog, the stop command).

import net from 'node:net';

export async function startRelay(serverPort) {
  const held = [];  // [{upstream, data}] while holding
  const sockets = new Set();
  const relay = {holding: false};

  const server = net.createServer((client) => {
    const upstream = net.connect(serverPort, '127.0.0.1');
    for (const socket of [client, upstream]) {
      sockets.add(socket);
      socket.on('close', () => sockets.delete(socket));
      socket.on('error', () => {});  // a stopped request closes its connection
    }
    client.on('data', (data) => {
      if (relay.holding) held.push({upstream, data});
      else upstream.write(data);
    });
    client.on('end', () => (relay.holding ? held.push({upstream, data: null}) : upstream.end()));
    upstream.pipe(client);
    client.on('close', () => upstream.destroy());
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));

  relay.port = server.address().port;
  relay.hold = () => {
    relay.holding = true;
  };
  // Whether a request is being held.
  relay.holdsRequest = () => held.length > 0;
  relay.release = () => {
    relay.holding = false;
    for (const {upstream, data} of held.splice(0)) {
      if (upstream.destroyed) continue;
      if (data) upstream.write(data);
      else upstream.end();
    }
  };
  relay.close = () => new Promise((resolve) => {
    for (const socket of sockets) socket.destroy();
    server.close(resolve);
  });
  return relay;
}
