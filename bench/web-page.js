// SPDX-License-Identifier: GPL-3.0-or-later
// bench/web's timings in headless Chromium: node web-page.js GAME_SITE MINIMAL_SITE
// Each round is a browser with an empty profile: a first visit, then, once the offline worker keeps
// the files, a second visit to the same page, as a player who comes back.
// Shown: from navigation until a picture shows the window, pictures taken one after another from the
// page's load event on (the game: the registration window's title bar; the minimal program: its page
// says it has started). Chromium takes a picture only when the busy page lets it (while the module
// compiles, not at all), so this bounds the time from above.
// Compile: the page's own measure, from the module's answer to its instance (on a first visit this
// includes the download, which it overlaps).
// Idle: the page's main-thread task time (Chromium's TaskDuration) over IDLE_SECONDS after the second
// visit, the table shown and nothing clicked; the minimal program once its window is drawn.
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

async function visit(browser, address, isGame) {
    const start = Date.now();
    await browser.open(address);  // a picture is taken only once the page is there
    if (isGame) {
        while (!(await activeTitleBar(browser)))
            ;
    } else {
        await browser.waitFor("document.getElementById('status').textContent === ''", 60000);
        await browser.picture();
    }
    const took = Date.now() - start;
    const compile = await browser.waitFor(
        "(performance.getEntriesByName('zarviki-compile')[0] || {}).duration", 60000);
    return { took, compile };
}

async function round(address, isGame) {
    const browser = await Browser.start();
    try {
        await browser.send('Performance.enable');
        const first = await visit(browser, address, isGame);
        await browser.waitFor('navigator.serviceWorker.controller !== null && caches.keys().then((k) => k.length === 1)');
        await sleep(5000);  // the browser writes the compiled module to its cache meanwhile
        const second = await visit(browser, address, isGame);
        if (isGame)
            await browser.key('Enter', 'Enter', 13, '\r');
        await sleep(2000);
        const idleFrom = await busyMs(browser);
        await sleep(1000 * idleSeconds);
        return { first, second, idle: (await busyMs(browser)) - idleFrom };
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
    const line = (label, pick, digits = 0) => {
        for (const name of ['game', 'minimal']) {
            const values = results[name].map(pick);
            console.log(`${label}, ${name}: median ${median(values).toFixed(digits)} ms (` +
                        values.map((v) => v.toFixed(digits)).join(', ') + ')');
        }
    };
    line('first visit, to the window drawn', (r) => r.first.took);
    line('second visit, to the window drawn', (r) => r.second.took);
    line('first visit, module answered to instance', (r) => r.first.compile);
    line('second visit, module answered to instance', (r) => r.second.compile);
    line(`busy while waiting ${idleSeconds} s`, (r) => r.idle, 1);
    game.close();
    minimal.close();
})().catch((error) => {
    console.error(error);
    process.exit(1);
});
