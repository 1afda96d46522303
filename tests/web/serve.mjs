// A static server of one folder on 127.0.0.1 at a free port, as any static
// host serves the page: for the page's tests and its benchmark.
import { readFileSync } from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { gzipSync } from 'node:zlib';

const TYPES = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.css': 'text/css',
  '.ico': 'image/x-icon', '.png': 'image/png', '.webmanifest': 'application/manifest+json',
};

export function serve(dir) {
  // Room for the 32 KB query of the options table.
  const server = http.createServer({ maxHeaderSize: 64 * 1024 }, (request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    const file = path.join(dir, name === '/' ? 'index.html' : name);
    try {
      if (!file.startsWith(dir + path.sep)) throw new Error('outside');
      const headers = { 'Content-Type': TYPES[path.extname(file)] ?? 'application/octet-stream' };
      let body = readFileSync(file);
      // Compressed as real hosts send it, which Lighthouse's timings assume.
      if (/\bgzip\b/.test(request.headers['accept-encoding'] ?? '')) {
        body = gzipSync(body);
        headers['Content-Encoding'] = 'gzip';
      }
      response.writeHead(200, headers);
      response.end(body);
    } catch {
      response.writeHead(404);
      response.end();
    }
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}
