// SPDX-License-Identifier: GPL-3.0-or-later
// The game's page in headless Chromium, as a player meets it: the registration window at its size,
// Enter passing it, the table throwing by a click and setting a die aside by its key, the file menu
// opening the last hero, and a hero record in the browser's storage read back after a reload.
//   node page-check.js SITE
const assert = require('assert/strict');
const crypto = require('crypto');
const zlib = require('zlib');
const Browser = require('./Browser.js');
const serve = require('../../tools/web-serve.js');

// Chromium's pictures are 8-bit RGB or RGBA PNGs: their pixels, unfiltered, as 0xRRGGBB.
function pixels(png) {
    const width = png.readUInt32BE(16), height = png.readUInt32BE(20), step = png[25] === 6 ? 4 : 3;
    const row = width * step;
    const chunks = [];
    for (let at = 8; at < png.length; at += 12 + png.readUInt32BE(at))
        if (png.toString('latin1', at + 4, at + 8) === 'IDAT')
            chunks.push(png.subarray(at + 8, at + 8 + png.readUInt32BE(at)));
    const raw = zlib.inflateSync(Buffer.concat(chunks)), out = Buffer.alloc(row * height);
    for (let y = 0; y < height; ++y) {
        const filter = raw[y * (row + 1)];
        for (let x = 0; x < row; ++x) {
            const a = x >= step ? out[y * row + x - step] : 0, b = y ? out[(y - 1) * row + x] : 0;
            const c = x >= step && y ? out[(y - 1) * row + x - step] : 0, p = a + b - c;
            const near = Math.abs(p - a) <= Math.abs(p - b) && Math.abs(p - a) <= Math.abs(p - c) ? a
                       : Math.abs(p - b) <= Math.abs(p - c) ? b : c;
            const base = [0, a, b, (a + b) >> 1, near][filter];
            out[y * row + x] = (raw[y * (row + 1) + 1 + x] + base) & 255;
        }
    }
    return { width, height, at: (x, y) => out.readUIntBE((y * width + x) * step, 3) };
}

// The active window's title bar, the classic look's navy: where it is and how wide.
async function activeTitleBar(browser) {
    const picture = pixels(await browser.picture());
    let left = Infinity, top = Infinity, right = -1;
    for (let y = 0; y < picture.height; ++y)
        for (let x = 0; x < picture.width; ++x)
            if (picture.at(x, y) === 0x000080) {
                left = Math.min(left, x), top = Math.min(top, y), right = Math.max(right, x);
            }
    return right < 0 ? null : { left, top, width: right - left + 1 };
}

async function until(found, timeoutMs = 30000) {
    for (const end = Date.now() + timeoutMs; Date.now() < end; await new Promise((r) => setTimeout(r, 100))) {
        const value = await found();
        if (value)
            return value;
    }
    throw new Error('waited ' + timeoutMs + ' ms for ' + found);
}

const press = (browser, key, code, keyCode, text) => browser.key(key, code, keyCode, text);
const enter = (browser) => press(browser, 'Enter', 'Enter', 13, '\r');
const windowOfWidth = (browser, width) => until(async () => {
    const bar = await activeTitleBar(browser);
    return bar && bar.width === width && bar;
});
const registrationWidth = 335, tableWidth = 518;  // 5025 and 7770 twips

// From a fresh page to the table; the table's client area, below its title and menu bars.
async function toTable(browser, address) {
    await browser.open(address);
    const registration = await windowOfWidth(browser, registrationWidth);
    await enter(browser);
    const table = await windowOfWidth(browser, tableWidth);
    assert.deepEqual([table.left - registration.left, table.top - registration.top], [24, 24]);
    return { x: table.left, y: table.top + 39 };
}

// The last-hero window, opened from the file menu by the keyboard: its picture.
async function lastHero(browser) {
    await press(browser, 'F10', 'F10', 121);
    await press(browser, 'ArrowDown', 'ArrowDown', 40);
    await enter(browser);
    const bar = await until(async () => {
        const found = await activeTitleBar(browser);
        return found && found.width !== tableWidth && found;
    });
    return (await browser.picture({ x: bar.left, y: bar.top, width: bar.width, height: 100 })).toString('base64');
}

async function check(address, browser) {
    await browser.open(address);
    assert.equal(await browser.evaluate('document.title'), 'Зарвики');

    // A click throws: every die shows a face. The keys 1 to 5 then set the takeable dice aside; a
    // throw with none to take (one in 32) hands the move over, and the page starts again.
    for (let tries = 1; ; ++tries) {
        const client = await toTable(browser, address);
        const strip = (top) => browser.picture({ x: client.x, y: client.y + top, width: tableWidth, height: 41 })
                                   .then((png) => png.toString('base64'));
        const onTable = await strip(104), setAside = await strip(0);
        await browser.click(client.x + 52, client.y + 204);
        await until(async () => (await strip(104)) !== onTable);
        for (const digit of '12345')
            await press(browser, digit, 'Digit' + digit, digit.charCodeAt(0), digit);
        await new Promise((r) => setTimeout(r, 500));
        if ((await strip(0)) !== setAside)
            break;
        assert.ok(tries < 3, 'no die was set aside in three games');
    }
    const noHero = await lastHero(browser);

    // A save killed after its journal, as the browser's storage keeps it: after a reload the last
    // hero is the new hero, and the game has put the finished folder back there. A tab opened before
    // takes the finished folder up at once.
    const other = await browser.newTab();
    await toTable(other, address);
    const line = (...bytes) => [...bytes, 13, 10];
    const masha = line(0xCC, 0xE0, 0xF8, 0xE0), hi = line(0x48, 0x69);
    const body = Buffer.from([...Buffer.from(`zarviki hero record 2\n${masha.length} ${hi.length}\n`), ...masha, ...hi]);
    const sum = crypto.createHash('sha256').update(body).digest('hex');
    const files = { 'имя': line(0x4F), 'о_себе': line(0x6F), 'имя.commit': [...body, ...Buffer.from(sum + '\n')] };
    const store = (change) => browser.evaluate(`new Promise((resolve) => {
        const opening = indexedDB.open('zarviki', 1);
        opening.onsuccess = () => {
            const folders = opening.result.transaction('folders', 'readwrite').objectStore('folders');
            const folder = '/home/web_user/.local/share/zarviki';
            folders.get(folder).onsuccess = (got) => {
                const unit = (${change})(got.target.result);
                folders.put(unit, folder).onsuccess = () => resolve(JSON.stringify(
                    Object.entries(unit.files).map(([name, bytes]) => [name, Array.from(bytes)]).sort()));
            };
        };
    })`);
    await store(`() => ({ files: Object.fromEntries(${JSON.stringify(Object.entries(files))}
                                  .map(([name, bytes]) => [name, new Uint8Array(bytes)])) })`);
    await toTable(browser, address);
    assert.notEqual(await lastHero(browser), noHero);
    const kept = JSON.parse(await store('(unit) => unit')).filter(([name]) => name !== 'имя.guard');
    assert.deepEqual(kept, [['имя', masha], ['о_себе', hi]]);
    assert.notEqual(await lastHero(other), noHero);
    await other.stop();
}

module.exports = { activeTitleBar };
if (require.main !== module)
    return;
(async () => {
    const server = await serve(process.argv[2], 0);
    const browser = await Browser.start();
    try {
        await check(`http://127.0.0.1:${server.address().port}/`, browser);
        console.log('The page passed its check.');
    } finally {
        await browser.stop();
        server.close();
    }
})().catch((error) => {
    console.error(error);
    process.exit(1);
});
