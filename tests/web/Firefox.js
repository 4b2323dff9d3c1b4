// SPDX-License-Identifier: GPL-3.0-or-later
// Debian's Firefox ESR, driven over its own WebDriver BiDi, as Browser.js drives Chromium: the same
// calls, so that the page's check runs in either. Firefox headless has no WebGL without a GPU, which
// Qt's web platform needs, so it runs in a window on an X server of its own (Xvfb), where Mesa gives
// it WebGL 2.
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const WebSocket = require('ws');

const keys = { Enter: '\uE007', F10: '\uE03A', ArrowDown: '\uE015', Tab: '\uE004', Escape: '\uE00C' };
const prefs = { 'webgl.force-enabled': true, 'browser.shell.checkDefaultBrowser': false,
                'browser.startup.homepage_override.mstone': '"ignore"', 'browser.aboutwelcome.enabled': false,
                'datareporting.policy.dataSubmissionEnabled': false, 'layout.css.devPixelsPerPx': '"1.0"' };

// The first line that `pattern` finds in what `child` writes to `stream`.
function said(child, stream, pattern) {
    return new Promise((resolve, reject) => {
        let text = '';
        child.stdio[stream].on('data', (data) => {
            text += data;
            const found = pattern.exec(text);
            if (found)
                resolve(found[1]);
        });
        child.on('exit', () => reject(new Error(`${child.spawnfile} stopped: ${text}`)));
    });
}

class Firefox {
    static async start(profile) {
        const folder = profile || fs.mkdtempSync(path.join(os.tmpdir(), 'zarviki-firefox-'));
        fs.writeFileSync(path.join(folder, 'user.js'),
                         Object.entries(prefs).map(([k, v]) => `user_pref("${k}", ${v});\n`).join(''));
        const detached = true;
        const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1024x768x24', '-nolisten', 'tcp'],
                           { stdio: ['ignore', 'ignore', 'ignore', 'pipe'], detached });
        const display = await said(xvfb, 3, /^(\d+)\n/);
        const firefox = spawn('firefox-esr', ['--remote-debugging-port=0', '--profile', folder, '--no-remote',
                                              '--new-instance', 'about:blank'],
                              { stdio: ['ignore', 'ignore', 'pipe'], detached,
                                env: { ...process.env, DISPLAY: ':' + display } });
        const address = await said(firefox, 2, /WebDriver BiDi listening on (ws:\/\/\S+)/);
        const socket = new WebSocket(address + '/session', { perMessageDeflate: false, maxPayload: 256 * 1024 * 1024 });
        await new Promise((resolve, reject) => socket.on('open', resolve).on('error', reject));
        const browser = new Firefox({ socket, sent: 0, waiting: new Map(), processes: [firefox, xvfb],
                                      folder: profile ? null : folder }, null, true);
        socket.on('message', (data) => {
            const message = JSON.parse(data);
            const waiter = browser.session.waiting.get(message.id);
            if (!waiter)
                return;
            browser.session.waiting.delete(message.id);
            message.type === 'error' ? waiter.reject(new Error(`${message.error}: ${message.message}`))
                                     : waiter.resolve(message.result);
        });
        await browser.send('session.new', { capabilities: {} });
        browser.context = (await browser.send('browsingContext.getTree', {})).contexts[0].context;
        await browser.send('browsingContext.setViewport', { context: browser.context,
                                                            viewport: { width: 800, height: 700 } });
        return browser;
    }

    constructor(session, context, owner = false) {
        Object.assign(this, { session, context, owner });
    }

    send(method, params) {
        const id = ++this.session.sent;
        this.session.socket.send(JSON.stringify({ id, method, params }));
        return new Promise((resolve, reject) => this.session.waiting.set(id, { resolve, reject }));
    }

    async newTab() {
        const { context } = await this.send('browsingContext.create', { type: 'window' });
        return new Firefox(this.session, context);
    }

    async open(address) {
        await this.send('browsingContext.navigate', { context: this.context, url: address, wait: 'complete' });
    }

    // The expression's value, passed back as JSON.
    async evaluate(expression) {
        const answer = await this.send('script.evaluate', {
            expression: `(async () => JSON.stringify(await (${expression})))()`,
            target: { context: this.context }, awaitPromise: true });
        if (answer.type === 'exception')
            throw new Error(answer.exceptionDetails.text);
        return answer.result.type === 'string' ? JSON.parse(answer.result.value) : undefined;
    }

    async waitFor(expression, timeoutMs = 30000) {
        for (const end = Date.now() + timeoutMs; ; await new Promise((r) => setTimeout(r, 100))) {
            const value = await this.evaluate(expression);
            if (value)
                return value;
            if (Date.now() > end)
                throw new Error(`waited ${timeoutMs} ms for ${expression}`);
        }
    }

    async picture(clip) {
        const { data } = await this.send('browsingContext.captureScreenshot', {
            context: this.context, origin: 'viewport', ...(clip ? { clip: { type: 'box', ...clip } } : {}) });
        return Buffer.from(data, 'base64');
    }

    async act(source) {
        await this.send('input.performActions', { context: this.context, actions: [source] });
    }

    click(x, y) {
        return this.act({ type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' }, actions: [
            { type: 'pointerMove', x: Math.round(x), y: Math.round(y) },
            { type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 }] });
    }

    key(key) {
        const value = keys[key] || key;
        return this.act({ type: 'key', id: 'keys', actions: [{ type: 'keyDown', value }, { type: 'keyUp', value }] });
    }

    async stop() {
        if (!this.owner) {
            await this.send('browsingContext.close', { context: this.context });
            return;
        }
        this.session.socket.close();
        for (const child of this.session.processes) {
            if (child.exitCode !== null || child.signalCode !== null)
                continue;
            const ended = new Promise((resolve) => child.on('exit', resolve));
            process.kill(-child.pid);
            await ended;
        }
        if (this.session.folder)
            fs.rmSync(this.session.folder, { recursive: true, force: true, maxRetries: 20, retryDelay: 250 });
    }
}

module.exports = Firefox;
