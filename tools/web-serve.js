// SPDX-License-Identifier: GPL-3.0-or-later
// Serves a folder on 127.0.0.1, as a static web server would publish the game's page:
//   node tools/web-serve.js FOLDER [PORT]   (port 0 takes a free one; the address is printed)
// The page's check requires it and calls serve(folder, port) itself.
const http = require('http');
const fs = require('fs');
const path = require('path');

const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.svg': 'image/svg+xml', '.txt': 'text/plain; charset=utf-8' };

function serve(folder, port) {
    const root = path.resolve(folder);
    const server = http.createServer((request, response) => {
        const wanted = decodeURIComponent(new URL(request.url, 'http://x').pathname);
        const file = path.join(root, wanted.endsWith('/') ? wanted + 'index.html' : wanted);
        if (!file.startsWith(root + path.sep)) {
            response.writeHead(403).end();
            return;
        }
        fs.stat(file, (error, stat) => {
            if (error || !stat.isFile()) {
                response.writeHead(404).end();
                return;
            }
            response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                                      'Content-Length': stat.size, 'Cache-Control': 'no-cache' });
            fs.createReadStream(file).pipe(response);
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
