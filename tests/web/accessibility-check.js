// SPDX-License-Identifier: GPL-3.0-or-later
// The game as Chromium hands it to a screen reader: the registration window and the table in the
// page's accessibility tree, the focus following the game, and a whole game won or lost through the
// tree alone, each control found by role and name and pressed through its element, each outcome
// read from the news within 500 ms of its key.
//   node accessibility-check.js SITE
const assert = require('assert/strict');
const Browser = require('./Browser.js');
const serve = require('../../tools/web-serve.js');

// Every news the page gives a reader (its live region, or the browser's own announcement), with
// how long after the key or click before it; and how often a die's name changed without the focus.
const listening = `(() => {
    const heard = window.zarvikiHeard = [];
    let input = 0;
    for (const type of ['keydown', 'click'])
        addEventListener(type, () => { input = performance.now(); }, true);
    window.zarvikiUnfocusedDice = 0;
    new MutationObserver((changes) => {
        for (const change of changes)
            if (change.target.id === 'zarviki-news' && change.addedNodes.length)
                heard.push({ text: change.target.textContent, after: performance.now() - input });
            else if (change.attributeName && /^Кубик/.test(change.oldValue) && change.target !== document.activeElement)
                ++window.zarvikiUnfocusedDice;
    }).observe(document, { childList: true, subtree: true, attributeFilter: ['aria-label'], attributeOldValue: true });
})()`;

async function tree(browser) {
    const { nodes } = await browser.send('Accessibility.getFullAXTree');
    const parents = new Map(nodes.map((n) => [n.nodeId, n.parentId]));
    const seen = nodes.filter((n) => !n.ignored).map((n) => {
        const p = Object.fromEntries((n.properties || []).map((x) => [x.name, x.value.value]));
        return { role: n.role.value, name: n.name ? n.name.value : '', value: n.value && n.value.value,
                 description: n.description ? n.description.value : '', disabled: !!p.disabled,
                 checked: p.checked, focused: !!p.focused && n.role.value !== 'RootWebArea', node: n.backendDOMNodeId, id: n.nodeId };
    });
    const byId = new Map(seen.map((n) => [n.id, n]));
    const within = (n) => { let at = parents.get(n.id); while (at && !byId.has(at)) at = parents.get(at); return byId.get(at); };
    return { seen, within, find: (role, name) => seen.find((n) => n.role === role && (name instanceof RegExp ? name.test(n.name) : n.name === name)) };
}

const heard = (browser) => browser.evaluate('window.zarvikiHeard');

// Presses a control through its element: a reader's Space on it, or its click.
async function activate(browser, control, how = 'key') {
    await browser.send('DOM.focus', { backendNodeId: control.node });
    if (how === 'key')
        return browser.key(' ', 'Space', 32, ' ');
    const { object } = await browser.send('DOM.resolveNode', { backendNodeId: control.node });
    await browser.send('Runtime.callFunctionOn', { objectId: object.objectId, functionDeclaration: 'function () { this.click(); }' });
}

// Presses a control and waits for its one news, told within 500 ms.
async function press(browser, control) {
    const before = (await heard(browser)).length;
    await activate(browser, control);
    await browser.waitFor(`window.zarvikiHeard.length > ${before}`, 5000);
    await new Promise((resolve) => setTimeout(resolve, 60));
    const news = (await heard(browser)).slice(before);
    assert.equal(news.length, 1, `one news for ${control.name}: ${JSON.stringify(news)}`);
    assert.ok(news[0].after <= 500, `news of ${control.name} came ${news[0].after} ms after its key`);
    return news[0].text;
}

async function registration(browser) {
    await browser.waitFor(`document.querySelector('#zarviki-accessibility [aria-label="Регистрация"]') !== null`, 60000);
    const t = await tree(browser);
    assert.ok(t.find('group', 'Регистрация'));
    const name = t.seen.find((n) => n.role === 'textbox');
    assert.equal(name.value, 'User');
    assert.ok(name.focused, 'the name box has the focus');
    assert.equal(t.find('checkbox', 'Русский').checked, 'true');
    assert.equal(t.find('checkbox', 'Разговорный').checked, 'false');
    const levels = t.seen.filter((n) => n.role === 'radio');
    assert.deepEqual(levels.map((n) => [n.name, n.checked]).sort(), [['Бывалый', 'true'], ['Крутой', 'false'], ['Л@мер', 'false']]);
    assert.ok(levels.every((n) => t.within(n).role === 'radiogroup'));
    return t.find('button', 'ОК');
}

async function table(browser) {
    await browser.waitFor(`document.activeElement.getAttribute('aria-label') === 'Скинуть !'`);
    const t = await tree(browser);
    assert.equal(t.find('group', 'Регистрация'), undefined, 'the registration window is gone');
    assert.deepEqual(t.seen.filter((n) => /^Кубик /.test(n.name)).map((n) => [n.role, n.name]),
                     [1, 2, 3, 4, 5].map((i) => ['button', `Кубик ${i}: пусто`]));
    assert.deepEqual(['Скинуть !', 'Хватит !', 'Ход компа !'].map((b) => t.find('button', b).disabled), [false, false, true]);
    assert.ok(t.find('button', 'Скинуть !').focused, 'the table opens on the throw');
    for (const label of ['User', 'Компьютер', 'Победителя пока нет'])
        assert.ok(t.find('StaticText', label), label);
    const menus = t.seen.filter((n) => n.role === 'menuitem' && t.within(n).role === 'menubar');
    assert.deepEqual(menus.map((n) => n.name), ['Файл', 'Помощ']);
    return t;
}

// A whole game by the tree alone: Space on whatever has the focus, as the focus follows the game,
// and a stand once the turn holds 10 or more.
async function play(browser) {
    let current = 0;
    for (let keys = 0; keys < 3000; ++keys) {
        const t = await tree(browser);
        const focused = t.seen.find((n) => n.focused);
        assert.ok(focused && focused.role === 'button' && !focused.disabled, 'the focus is on a control in play');
        const stand = focused.name === 'Скинуть !' && current >= 10 ? t.find('button', 'Хватит !') : null;
        const news = await press(browser, stand || focused);
        const value = / Текущее значение (\d+)\./.exec(news);
        current = value ? Number(value[1]) : 0;
        if (/Ты ПОБЕДИЛ!|Победил {2}компьютер !/.test(news))
            return news;
        const after = await tree(browser);
        assert.ok(after.find('StaticText', news), 'the news is in the page');
        if (/Ходит Компьютер\.$/.test(news))
            assert.deepEqual(['Скинуть !', 'Ход компа !'].map((b) => after.find('button', b).disabled), [true, false]);
        if (/^Бросок: /.test(news) && /Можно взять/.test(news)) {
            const faces = /^Бросок: (.*?)\. Можно/.exec(news)[1].split(', ');
            const die = after.seen.find((n) => n.focused);
            assert.match(die.name, /^Кубик \d: /, 'a throw that offers dice gives the focus to one');
            assert.equal(die.name, `Кубик ${die.name[6]}: ${faces[die.name[6] - 1]}`);
            assert.equal(die.description, 'можно взять');
        }
    }
    assert.fail('no victory in 3000 keys');
}

(async () => {
    const server = await serve(process.argv[2], 0);
    const browser = await Browser.start();
    try {
        await browser.send('Accessibility.enable');
        await browser.send('DOM.enable');
        await browser.send('Page.addScriptToEvaluateOnNewDocument', { source: listening });
        await browser.open(`http://127.0.0.1:${server.address().port}/`);
        await activate(browser, await registration(browser), 'click');
        await table(browser);
        const victory = await play(browser);
        // A die without the focus holds its new names back, as on the desktop.
        assert.equal(await browser.evaluate('window.zarvikiUnfocusedDice'), 0);
        const region = await browser.evaluate(`document.getElementById('zarviki-news').textContent`);
        assert.equal(region, victory);
        console.log('The page read out a whole game:', victory);
    } finally {
        await browser.stop();
        server.close();
    }
})().catch((error) => {
    console.error(error);
    process.exit(1);
});
