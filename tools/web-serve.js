// SPDX-License-Identifier: GPL-3.0-or-later
// Serves a folder on 127.0.0.1, as a static web server would publish the game's page:
//   node tools/web-serve.js FOLDER [PORT]   (port 0 takes a free one; the address is printed)
// The page's check requires it and calls serve(folder, port, asked) itself: `asked`, when given, gathers
// the path of every request.
// A file with a Brotli (.br) or gzip (.gz) copy beside it is sent as that copy to a browser that
// takes it, with its own type and its encoding named. A name that carries its content's hash
// (zarviki.<hash>.wasm) never changes, so browsers may keep it for good; anything else they ask
// again each time, and get an answer without a body when it has not changed.
const http = require('http');
const fs = require('fs');
const path = require('path');

const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.svg': 'image/svg+xml', '.png': 'image/png', '.txt': 'text/plain; charset=utf-8',
                '.webmanifest': 'application/manifest+json' };
const encodings = [['br', '.br'], ['gzip', '.gz']];
const hashed = /\.[0-9a-f]{16}\.[a-z]+$/;

function serve(folder, port, asked) {
    const root = path.resolve(folder);
    const server = http.createServer((request, response) => {
        const wanted = decodeURIComponent(new URL(request.url, 'http://x').pathname);
        if (asked)
            asked.push(wanted);
        const file = path.join(root, wanted.endsWith('/') ? wanted + 'index.html' : wanted);
        if (!file.startsWith(root + path.sep)) {
            response.writeHead(403).end();
            return;
        }
        const accepted = (request.headers['accept-encoding'] || '').split(',').map((e) => e.trim().split(';')[0]);
        const copies = encodings.filter(([name]) => accepted.includes(name))
            .map(([name, suffix]) => [name, file + suffix]).concat([[null, file]]);
        const [encoding, sent] = copies.find(([, copy]) => fs.existsSync(copy)) || [null, file];
        fs.stat(sent, (error, stat) => {
            if (error || !stat.isFile()) {
                response.writeHead(404).end();
                return;
            }
            const tag = `"${stat.size}-${stat.mtimeMs}${encoding ? '-' + encoding : ''}"`;
            const headers = { 'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                              'Cache-Control': hashed.test(file) ? 'public, max-age=31536000, immutable' : 'no-cache',
                              'ETag': tag, 'Vary': 'Accept-Encoding' };
            if (encoding)
                headers['Content-Encoding'] = encoding;
            if (request.headers['if-none-match'] === tag) {
                response.writeHead(304, headers).end();
                return;
            }
            response.writeHead(200, { ...headers, 'Content-Length': stat.size });
            fs.createReadStream(sent).pipe(response);
        });
    });
    return new Promise((resolve) => server.listen(port, '127.0.0.1', () => resolve(server)));
}

if (require.main === module) {
    const [folder, port = '8000'] = process.argv.slice(2);
    serve(folder, Number(port)).then((server) =>
        console.log(`The game is at http://127.0.0.1:${server.address().port}/ (Ctrl+C stops serving it)`));
}
module.exports = serve;
