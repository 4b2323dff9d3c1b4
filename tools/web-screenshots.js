// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the page's windows in headless Chromium, as tools/screenshots takes the desktop's: the
// registration window, the table, the last hero, how to play and the about window, each a picture of
// the whole canvas once it is open (the winner window needs a won game and is not among them).
//   node tools/web-screenshots.js SITE FOLDER [EARLIER_FOLDER]
// With an earlier folder, says for each picture how many pixels differ from the earlier one, and where.
const fs = require('fs');
const path = require('path');
const Browser = require('../tests/web/Browser.js');
const serve = require('./web-serve.js');
const { activeTitleBar, pixels } = require('../tests/web/page-check.js');

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const keys = { Enter: ['Enter', 13, '\r'], F10: ['F10', 121], ArrowDown: ['ArrowDown', 40],
               ArrowRight: ['ArrowRight', 39] };
const press = async (browser, ...names) => {
    for (const name of names) {
        const [code, keyCode, text] = keys[name];
        await browser.key(name, code, keyCode, text);
    }
};

async function shown(browser, width) {
    for (let bar; ; await sleep(100))
        if ((bar = await activeTitleBar(browser)) && (!width || bar.width === width))
            return sleep(1000).then(() => bar);  // the text box's caret is left to settle
}

(async () => {
    const [site, folder, earlier] = process.argv.slice(2);
    fs.mkdirSync(folder, { recursive: true });
    const server = await serve(site, 0);
    const browser = await Browser.start();
    try {
        await browser.open(`http://127.0.0.1:${server.address().port}/`);
        const canvas = JSON.parse(await browser.evaluate(
            "JSON.stringify(document.getElementById('screen').getBoundingClientRect())"));
        const take = async (name) => fs.writeFileSync(path.join(folder, name + '.png'), await browser.picture(
            { x: canvas.x, y: canvas.y, width: canvas.width, height: canvas.height }));
        await shown(browser, 335);
        await take('registration');
        await press(browser, 'Enter');
        const table = await shown(browser, 518);
        await take('table');
        const toTable = () => browser.click(table.left + 200, table.top + 8);
        await press(browser, 'F10', 'ArrowDown', 'Enter');
        await shown(browser, 0);
        await take('last-hero');
        await toTable();
        // Moving into the help menu marks its first item already.
        await press(browser, 'F10', 'ArrowRight', 'Enter');
        await sleep(1500);
        await take('how-to-play');
        await toTable();
        await press(browser, 'F10', 'ArrowRight', 'ArrowDown', 'Enter');
        await sleep(1500);
        await take('about');
    } finally {
        await browser.stop();
        server.close();
    }
    if (!earlier)
        return;
    for (const name of fs.readdirSync(folder).filter((n) => n.endsWith('.png')).sort()) {
        const [now, then] = [folder, earlier].map((f) => pixels(fs.readFileSync(path.join(f, name))));
        const differ = [];
        for (let y = 0; y < now.height; ++y)
            for (let x = 0; x < now.width; ++x)
                if (now.at(x, y) !== then.at(x, y))
                    differ.push([x, y]);
        const box = differ.reduce(([l, t, r, b], [x, y]) => [Math.min(l, x), Math.min(t, y), Math.max(r, x), Math.max(b, y)],
                                  [Infinity, Infinity, -1, -1]);
        console.log(`${name}: ${differ.length} pixels differ` + (differ.length ? `, within ${box.join(',')}` : ''));
    }
})().catch((error) => {
    console.error(error);
    process.exit(1);
});
