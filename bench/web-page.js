// SPDX-License-Identifier: GPL-3.0-or-later
// bench/web's timings in headless Chromium: node web-page.js GAME_SITE MINIMAL_SITE
// Load: from navigation until a picture shows the registration window's title bar, pictures taken
// one after another from the page's load event on. Chromium takes a picture only when the busy page
// lets it (while the module compiles, not at all), so this bounds the time from above, by up to
// about one second.
// Idle: the page's main-thread task time (Chromium's TaskDuration) over IDLE_SECONDS, the table
// shown and nothing clicked; the minimal program once its window is drawn.
const Browser = require('../tests/web/Browser.js');
const serve = require('../tools/web-serve.js');
const { activeTitleBar } = require('../tests/web/page-check.js');

const rounds = Number(process.env.ROUNDS), idleSeconds = Number(process.env.IDLE_SECONDS);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];

async function busyMs(browser) {
    const { metrics } = await browser.send('Performance.getMetrics');
    return 1000 * metrics.find((m) => m.name === 'TaskDuration').value;
}

async function round(address, isGame) {
    const browser = await Browser.start();
    try {
        await browser.send('Performance.enable');
        const start = Date.now();
        let took = 0;
        await browser.open(address);  // a picture is taken only once the page is there
        if (isGame) {
            while (!(await activeTitleBar(browser)))
                ;
            took = Date.now() - start;
            await browser.key('Enter', 'Enter', 13, '\r');
        } else {
            await browser.waitFor("document.getElementById('status').textContent === ''");
        }
        await sleep(2000);
        const idleFrom = await busyMs(browser);
        await sleep(1000 * idleSeconds);
        return { took, idle: (await busyMs(browser)) - idleFrom };
    } finally {
        await browser.stop();
    }
}

(async () => {
    const [game, minimal] = await Promise.all(process.argv.slice(2).map((folder) => serve(folder, 0)));
    const results = { game: [], minimal: [] };
    for (let i = 0; i < rounds; ++i)
        for (const [name, server] of [['game', game], ['minimal', minimal]])
            results[name].push(await round(`http://127.0.0.1:${server.address().port}/`, name === 'game'));
    const loads = results.game.map((r) => r.took);
    console.log(`load to the registration window: median ${median(loads)} ms (${loads.join(', ')})`);
    for (const name of ['game', 'minimal'])
        console.log(`busy while waiting, ${idleSeconds} s: ${name} median ` +
                    `${median(results[name].map((r) => r.idle)).toFixed(1)} ms (` +
                    results[name].map((r) => r.idle.toFixed(1)).join(', ') + ')');
    game.close();
    minimal.close();
})().catch((error) => {
    console.error(error);
    process.exit(1);
});
