'use strict';
// Benchmark of the web bridge (not a test): round-trip time of command 50 on
// one connection, and how many connections per second the program takes
// from connect through upgrade to the page's close. Run with `make bench`.
const { connect, envelope, startProgram } = require('./lib/harness');

const REQUESTS = 1000;
const WARM_UP = 50;
const CONNECTIONS = 200;
const VERSION = envelope(50, 1, '1.0.0.1', 0);

function percentile(sorted, p) {
  return sorted[Math.min(sorted.length - 1, Math.ceil((p / 100) * sorted.length) - 1)];
}

async function main() {
  const program = await startProgram('bench');
  try {
    const page = await connect(program);
    for (let i = 0; i < WARM_UP; i++) await page.request('{"code":50}');

    const times = [];
    for (let i = 0; i < REQUESTS; i++) {
      const start = process.hrtime.bigint();
      const reply = await page.request('{"code":50}');
      times.push(Number(process.hrtime.bigint() - start) / 1e6);
      if (reply !== VERSION) throw new Error(`unexpected reply ${JSON.stringify(reply)}`);
    }
    await page.close();
    times.sort((a, b) => a - b);

    const start = process.hrtime.bigint();
    for (let i = 0; i < CONNECTIONS; i++) {
      const next = await connect(program);
      await next.close();
    }
    const seconds = Number(process.hrtime.bigint() - start) / 1e9;

    console.log(`command 50 round trip over wss, ${REQUESTS} requests on one connection:`);
    console.log(`  median ${percentile(times, 50).toFixed(3)} ms, p99 ${percentile(times, 99).toFixed(3)} ms, ` +
                `max ${times[times.length - 1].toFixed(3)} ms`);
    console.log(`connections (TLS handshake, upgrade, close), ${CONNECTIONS} one after another:`);
    console.log(`  ${(CONNECTIONS / seconds).toFixed(1)} per second`);
  } finally {
    await program.stop();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
