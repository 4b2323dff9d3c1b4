// SPDX-License-Identifier: GPL-3.0-or-later
// What the page's accessibility bridge costs and how soon it tells the news, in headless Chromium:
//   NODE_PATH=/usr/share/nodejs node bench/web-reader.js [SITE]   (default build-web/site)
// Plays ROUNDS (3) pages of KEYS (60) keys each, with the bridge and without it (the page's
// zarvikiAccessibility = false): Enter on the registration window, then Space on whatever has the
// game's focus, a key every PACE_MS (400) ms. Per key: the page's main-thread task time (Chromium's
// TaskDuration) from the key until the next, and with the bridge the time from the key's keydown to
// its news in the live region. With the accessibility tree asked for once per key (TREE=1), as a
// screen reader asks, Chromium's own work for it counts too.
const Browser = require('../tests/web/Browser.js');
const serve = require('../tools/web-serve.js');

const rounds = Number(process.env.ROUNDS || 3), keys = Number(process.env.KEYS || 60);
const pace = Number(process.env.PACE_MS || 400), askTree = process.env.TREE === '1';
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const at = (values, share) => values.slice().sort((a, b) => a - b)[Math.min(values.length - 1, Math.floor(values.length * share))];
const summary = (values) => values.length ? `median ${at(values, 0.5).toFixed(1)}, 90th ${at(values, 0.9).toFixed(1)}, `
                                            + `max ${at(values, 1).toFixed(1)} ms (${values.length})` : 'none';

const listening = `(() => {
    const heard = window.zarvikiHeard = [];
    let input = 0;
    addEventListener('keydown', () => { input = performance.now(); }, true);
    new MutationObserver((changes) => {
        for (const change of changes)
            if (change.target.id === 'zarviki-news' && change.addedNodes.length)
                heard.push(performance.now() - input);
    }).observe(document, { childList: true, subtree: true });
})()`;

async function busyMs(browser) {
    const { metrics } = await browser.send('Performance.getMetrics');
    return 1000 * metrics.find((m) => m.name === 'TaskDuration').value;
}

async function round(address, bridged, work, delays) {
    const browser = await Browser.start();
    try {
        await browser.send('Performance.enable');
        if (askTree)
            await browser.send('Accessibility.enable');
        await browser.send('Page.addScriptToEvaluateOnNewDocument',
                           { source: bridged ? listening : 'globalThis.zarvikiAccessibility = false;' });
        await browser.open(address);
        await browser.waitFor("document.getElementById('status') === null || document.getElementById('status').textContent === ''", 60000);
        await sleep(3000);
        await browser.key('Enter', 'Enter', 13, '\r');
        await sleep(2000);
        for (let k = 0; k < keys; ++k) {
            const from = await busyMs(browser);
            await browser.key(' ', 'Space', 32, ' ');
            if (askTree)
                await browser.send('Accessibility.getFullAXTree');
            await sleep(pace);
            work.push((await busyMs(browser)) - from);
        }
        if (bridged)
            delays.push(...(await browser.evaluate('window.zarvikiHeard')));
    } finally {
        await browser.stop();
    }
}

(async () => {
    const server = await serve(process.argv[2] || 'build-web/site', 0);
    const address = `http://127.0.0.1:${server.address().port}/`;
    const results = { with: [], without: [] }, delays = [];
    for (let r = 0; r < rounds; ++r) {
        await round(address, true, results.with, delays);
        await round(address, false, results.without, []);
    }
    console.log(`main-thread work per key${askTree ? ', the tree asked for each' : ''}:`);
    console.log(`  with the bridge:    ${summary(results.with)}`);
    console.log(`  without the bridge: ${summary(results.without)}`);
    console.log(`from a key to its news in the live region: ${summary(delays)}`);
    server.close();
})().catch((error) => {
    console.error(error);
    process.exit(1);
});
