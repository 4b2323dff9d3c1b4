// SPDX-License-Identifier: GPL-3.0-or-later
// Debian's Firefox ESR, driven over its own WebDriver BiDi with the calls of Browser.js, so that the
// page's check runs in either browser. Headless Firefox has no WebGL without a GPU, which Qt's web
// platform needs: it runs in a window on an Xvfb of its own, where Mesa gives it WebGL 2.
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const WebSocket = require('ws');

const keys = { Enter: '\uE007', F10: '\uE03A', ArrowDown: '\uE015', ArrowRight: '\uE014' };
const prefs = { 'webgl.force-enabled': true, 'browser.shell.checkDefaultBrowser': false,
                'browser.aboutwelcome.enabled': false, 'datareporting.policy.dataSubmissionEnabled': false };

// Starts a program in a process group of its own; `said` is the first match of `pattern` in its output.
function run(program, args, output, pattern, env) {
    const stdio = ['ignore', 'ignore', 'ignore', 'ignore'];
    stdio[output] = 'pipe';
    const child = spawn(program, args, { stdio, detached: true, env: { ...process.env, ...env } });
    let text = '';
    child.said = new Promise((resolve, reject) => {
        child.stdio[output].on('data', (data) => (text += data, pattern.test(text) && resolve(pattern.exec(text)[1])));
        child.on('exit', () => reject(new Error(`${program} stopped: ${text}`)));
    });
    return child;
}

class Firefox extends require('./Browser.js') {
    static async start() {
        const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zarviki-firefox-'));
        fs.writeFileSync(path.join(profile, 'user.js'),
                         Object.entries(prefs).map(([k, v]) => `user_pref("${k}", ${v});\n`).join(''));
        const xvfb = run('Xvfb', ['-displayfd', '3', '-screen', '0', '1024x768x24', '-nolisten', 'tcp'], 3, /^(\d+)\n/);
        const firefox = run('firefox-esr', ['--remote-debugging-port=0', '--profile', profile, '--no-remote',
                                            'about:blank'], 2, /WebDriver BiDi listening on (\S+)/,
                            { DISPLAY: ':' + await xvfb.said });
        const browser = new Firefox([firefox, xvfb], profile);
        browser.connect(await firefox.said + '/session');
        await new Promise((resolve) => browser.socket.on('open', resolve));
        await browser.send('session.new', { capabilities: {} });
        browser.context = (await browser.send('browsingContext.getTree', {})).contexts[0].context;
        await browser.send('browsingContext.setViewport', { context: browser.context, viewport: { width: 800, height: 700 } });
        return browser;
    }

    constructor(processes, profile, session) {
        super(null, profile, true, 0);
        Object.assign(this, { processes }, session && { socket: session.socket, waiting: session.waiting });
    }

    connect(address) {
        this.socket = new WebSocket(address, { perMessageDeflate: false, maxPayload: 256 * 1024 * 1024 });
        this.socket.on('message', (data) => {
            const { id, type, error, message, result } = JSON.parse(data);
            const waiter = this.waiting.get(id);
            this.waiting.delete(id);
            waiter && (type === 'error' ? waiter.reject(new Error(`${error}: ${message}`)) : waiter.resolve(result));
        });
    }

    send(method, params) {
        const id = ++Firefox.sent;
        this.socket.send(JSON.stringify({ id, method, params }));
        return new Promise((resolve, reject) => this.waiting.set(id, { resolve, reject }));
    }

    async newTab() {
        const { context } = await this.send('browsingContext.create', { type: 'window' });
        return Object.assign(new Firefox(null, null, this), { context });
    }

    open(url) {
        return this.send('browsingContext.navigate', { context: this.context, url, wait: 'complete' });
    }

    // The expression's value, passed back as JSON.
    async evaluate(expression) {
        const { type, result, exceptionDetails } = await this.send('script.evaluate', {
            expression: `(async () => JSON.stringify(await (${expression})))()`,
            target: { context: this.context }, awaitPromise: true });
        if (type === 'exception')
            throw new Error(exceptionDetails.text);
        return result.type === 'string' ? JSON.parse(result.value) : undefined;
    }

    async picture(clip) {
        const { data } = await this.send('browsingContext.captureScreenshot',
                                         { context: this.context, ...(clip && { clip: { type: 'box', ...clip } }) });
        return Buffer.from(data, 'base64');
    }

    act(...actions) {
        return this.send('input.performActions', { context: this.context, actions });
    }

    click(x, y) {
        return this.act({ type: 'pointer', id: 'mouse', actions: [{ type: 'pointerMove', x: Math.round(x), y: Math.round(y) },
                                                                  { type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 }] });
    }

    key(key) {
        const value = keys[key] || key;
        return this.act({ type: 'key', id: 'keys', actions: [{ type: 'keyDown', value }, { type: 'keyUp', value }] });
    }

    async stop() {
        if (!this.processes)
            return this.send('browsingContext.close', { context: this.context });
        this.socket.close();
        for (const child of this.processes.filter((c) => c.exitCode === null && c.signalCode === null)) {
            const ended = new Promise((resolve) => child.on('exit', resolve));
            process.kill(-child.pid);
            await ended;
        }
        fs.rmSync(this.folder, { recursive: true, force: true, maxRetries: 20, retryDelay: 250 });
    }
}
Firefox.sent = 0;

module.exports = Firefox;
