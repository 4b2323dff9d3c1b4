// SPDX-License-Identifier: GPL-3.0-or-later
// The game's page in Chromium or Firefox, as a player meets it: the registration window at its size,
// Enter passing it, the table throwing by a click and setting a die aside by its key, the file menu
// opening the last hero, and a hero record in the browser's storage read back after a reload. Then
// as a web host sees it: every caption the page names is the game's, each file goes out in the
// encoding it is named with, a second visit asks the network for the page alone, a new build
// replaces the kept one at the next visit, and a reload with the server stopped still plays.
//   node page-check.js SITE [chromium|firefox]
const assert = require('assert/strict');
const crypto = require('crypto');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');
const zlib = require('zlib');
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

const hashed = (page) => page.match(/zarviki\.[0-9a-f]{16}\.(js|wasm)/g);

// Every «caption» the page's text names is a caption the game writes: a literal of its sources.
function words(page) {
    const src = path.join(__dirname, '../../src');
    const sources = fs.readdirSync(src, { recursive: true }).map((name) => path.join(src, name))
        .filter((file) => fs.statSync(file).isFile()).map((file) => fs.readFileSync(file, 'utf8')).join();
    const named = [...page.matchAll(/«([^»]+)»/g)].map((found) => found[1]);
    assert.ok(named.length >= 4, 'the page names the buttons to press');
    assert.deepEqual(named.filter((caption) => !sources.includes(`"${caption}"`)), []);
}

// Each file of the page, asked for as browsers ask: sent whole or in the encoding it is said to be
// in, with its type; the hashed ones kept for good, the others asked again.
async function encodings(address, site, page) {
    const unpack = { br: zlib.brotliDecompressSync, gzip: zlib.gunzipSync, undefined: (bytes) => bytes };
    for (const name of ['index.html', 'offline.js', ...hashed(page)])
        for (const [accepted, expected] of [['gzip, deflate, br', 'br'], ['gzip', 'gzip'], ['identity', undefined]]) {
            const { headers, body } = await new Promise((resolve) => http.get(address + name,
                { headers: { 'Accept-Encoding': accepted } }, (answer) => answer.toArray()
                    .then((parts) => resolve({ headers: answer.headers, body: Buffer.concat(parts) }))));
            const encoding = headers['content-encoding'];
            assert.equal(encoding, expected, name + ' for ' + accepted);
            assert.ok(unpack[encoding](body).equals(fs.readFileSync(path.join(site, name))), name + ' as ' + encoding);
            assert.ok(!name.endsWith('.wasm') || headers['content-type'] === 'application/wasm');
            assert.equal(headers['cache-control'].includes('immutable'), name.startsWith('zarviki.'), name);
        }
}

// Waits for the worker of the build that `page` names to run the page and keep that build alone.
const keptFor = (browser, page) => until(() => browser.evaluate(`(async () => {
    const names = await caches.keys();
    const kept = names.length === 1 && (await (await caches.open(names[0])).keys()).map((r) => r.url.split('/').pop());
    return navigator.serviceWorker.controller && kept && ${JSON.stringify(hashed(page))}.every((n) => kept.includes(n));
})()`));

async function offline(address, browser, server, site, asked) {
    // A second visit asks the network for the page (and whether the worker is new; the browser
    // itself may ask for the tab's icon), nothing more.
    const page = () => fs.readFileSync(path.join(site, 'index.html'), 'utf8');
    await keptFor(browser, page());
    asked.length = 0;
    await browser.open(address);
    await windowOfWidth(browser, registrationWidth);
    assert.deepEqual([...new Set(asked)].filter((name) => !['/offline.js', '/zarviki.svg'].includes(name)), ['/']);

    // The next build (a loader with one more line) is on the server: the visit after it runs it and
    // keeps its files alone.
    const [loader, module] = ['.js', '.wasm'].map((kind) => path.join(site, hashed(page()).find((n) => n.endsWith(kind))));
    fs.writeFileSync(site + '.js', fs.readFileSync(loader, 'utf8') + '\n// the next build\n');
    execFileSync('cmake', [`-DSOURCE=${path.join(__dirname, '../../packaging/web')}`, `-DSITE=${site}`, `-DJS=${site}.js`,
                           `-DWASM=${module}`, '-P', path.join(__dirname, '../../packaging/web/Page.cmake')]);
    await browser.open(address);
    await windowOfWidth(browser, registrationWidth);
    await keptFor(browser, page());

    // The server stops: a reload still shows the game, and plays.
    await new Promise((resolve) => { server.close(resolve); server.closeAllConnections(); });
    await toTable(browser, address);
}

module.exports = { activeTitleBar, pixels };
if (require.main !== module)
    return;
(async () => {
    const [site, kind = 'chromium'] = process.argv.slice(2);
    // A copy of the site, for the next build to be made in.
    const served = fs.mkdtempSync(path.join(os.tmpdir(), 'zarviki-site-')), asked = [];
    fs.cpSync(site, served, { recursive: true });
    const server = await serve(served, 0, asked);
    const address = `http://127.0.0.1:${server.address().port}/`, page = fs.readFileSync(path.join(site, 'index.html'), 'utf8');
    words(page);
    await encodings(address, served, page);
    const browser = await require(kind === 'firefox' ? './Firefox.js' : './Browser.js').start();
    try {
        await check(address, browser);
        await offline(address, browser, server, served, asked);
        console.log(`The page passed its check in ${kind}.`);
    } finally {
        await browser.stop();
        server.close();
        [served, served + '.js'].forEach((made) => fs.rmSync(made, { recursive: true, force: true }));
    }
})().catch((error) => {
    console.error(error);
    process.exit(1);
});
