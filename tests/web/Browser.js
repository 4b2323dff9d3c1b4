// SPDX-License-Identifier: GPL-3.0-or-later
// Debian's Chromium, headless, driven over its DevTools protocol: the page's check and the web
// benchmark open the game's page with it, click and type on its canvas and take its pictures.
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const WebSocket = require('ws');

class Browser {
    // Starts Chromium with a profile of its own, which `profile` names to keep it across starts.
    static async start(profile) {
        const folder = profile || fs.mkdtempSync(path.join(os.tmpdir(), 'zarviki-chromium-'));
        const chromium = spawn('chromium', [
            '--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox',
            '--no-first-run', '--remote-debugging-port=0', `--user-data-dir=${folder}`,
            '--window-size=800,700', 'about:blank'], { stdio: ['ignore', 'ignore', 'pipe'], detached: true });
        const address = await new Promise((resolve, reject) => {
            let said = '';
            chromium.stderr.on('data', (data) => {
                said += data;
                const found = /DevTools listening on (ws:\/\/\S+)/.exec(said);
                if (found)
                    resolve(found[1]);
            });
            chromium.on('exit', () => reject(new Error('Chromium stopped: ' + said)));
        });
        const browser = new Browser(chromium, folder, !profile, new URL(address).port);
        await browser.connect((await browser.pages()).find((p) => p.type === 'page').webSocketDebuggerUrl);
        return browser;
    }

    constructor(chromium, folder, ownFolder, port) {
        Object.assign(this, { chromium, folder, ownFolder, port, sent: 0, waiting: new Map(), loaded: null });
    }

    async pages() {
        return (await fetch(`http://127.0.0.1:${this.port}/json/list`)).json();
    }

    // Another tab of the same browser, in a window of its own, driven as this one.
    async newTab() {
        const { targetId } = await this.send('Target.createTarget', { url: 'about:blank', newWindow: true });
        const tab = new Browser(null, null, false, this.port);
        await tab.connect((await this.pages()).find((p) => p.id === targetId).webSocketDebuggerUrl);
        return tab;
    }

    connect(address) {
        this.socket = new WebSocket(address, { perMessageDeflate: false, maxPayload: 256 * 1024 * 1024 });
        this.socket.on('message', (data) => {
            const message = JSON.parse(data);
            if (message.id && this.waiting.has(message.id)) {
                const { resolve, reject } = this.waiting.get(message.id);
                this.waiting.delete(message.id);
                message.error ? reject(new Error(JSON.stringify(message.error))) : resolve(message.result);
            } else if (message.method === 'Page.loadEventFired' && this.loaded) {
                this.loaded();
            }
        });
        return new Promise((resolve) => this.socket.on('open', resolve))
            .then(() => this.send('Page.enable'));
    }

    send(method, params = {}) {
        const id = ++this.sent;
        this.socket.send(JSON.stringify({ id, method, params }));
        return new Promise((resolve, reject) => this.waiting.set(id, { resolve, reject }));
    }

    async evaluate(expression) {
        const { result, exceptionDetails } = await this.send('Runtime.evaluate',
            { expression, awaitPromise: true, returnByValue: true });
        if (exceptionDetails)
            throw new Error(exceptionDetails.exception ? exceptionDetails.exception.description : exceptionDetails.text);
        return result.value;
    }

    // Opens an address and waits for its load event.
    async open(address) {
        const loaded = new Promise((resolve) => { this.loaded = resolve; });
        await this.send('Page.navigate', { url: address });
        await loaded;
        this.loaded = null;
    }

    async waitFor(expression, timeoutMs = 30000) {
        const until = Date.now() + timeoutMs;
        for (;;) {
            const value = await this.evaluate(expression);
            if (value)
                return value;
            if (Date.now() > until)
                throw new Error(`waited ${timeoutMs} ms for ${expression}`);
            await new Promise((resolve) => setTimeout(resolve, 100));
        }
    }

    // A picture of the page, as PNG bytes.
    async picture(clip) {
        const { data } = await this.send('Page.captureScreenshot', clip ? { format: 'png', clip: { ...clip, scale: 1 } } : { format: 'png' });
        return Buffer.from(data, 'base64');
    }

    async click(x, y) {
        for (const type of ['mousePressed', 'mouseReleased'])
            await this.send('Input.dispatchMouseEvent', { type, x, y, button: 'left', clickCount: 1 });
    }

    async key(key, code, keyCode, text) {
        await this.send('Input.dispatchKeyEvent', { type: text ? 'keyDown' : 'rawKeyDown', key, code, windowsVirtualKeyCode: keyCode, text });
        await this.send('Input.dispatchKeyEvent', { type: 'keyUp', key, code, windowsVirtualKeyCode: keyCode });
    }

    async stop() {
        this.socket.close();
        if (!this.chromium)
            return;
        // Chromium's helpers go with it: it leads a process group of its own.
        if (this.chromium.exitCode === null && this.chromium.signalCode === null) {
            const ended = new Promise((resolve) => this.chromium.on('exit', resolve));
            process.kill(-this.chromium.pid);
            await ended;
        }
        if (this.ownFolder)
            fs.rmSync(this.folder, { recursive: true, force: true, maxRetries: 20, retryDelay: 250 });
    }
}

module.exports = Browser;
