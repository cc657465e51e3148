// A static server for the built site, on the loopback address only: what scripts/web.sh
// runs, and what the tests and benchmarks load the page from. Compresses as an ordinary
// web server would (brotli or gzip, as the browser asks), so transfer sizes are real.
//
//   node web/serve.mjs DIR [PORT]        (PORT 0 picks a free one; default 8080)
import { createServer } from 'node:http';
import { readFile, stat } from 'node:fs/promises';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { brotliCompressSync, gzipSync, constants } from 'node:zlib';
import { pathToFileURL } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.json': 'application/json',
  '.webmanifest': 'application/manifest+json',
  '.wasm': 'application/wasm',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
  '.woff2': 'font/woff2',
  '.ttf': 'font/ttf',
  '.txt': 'text/plain; charset=utf-8',
  '.md': 'text/plain; charset=utf-8',
  '.pdf': 'application/pdf',
};
const COMPRESSIBLE = new Set(['.html', '.js', '.mjs', '.css', '.json', '.webmanifest', '.wasm', '.svg', '.ttf', '.txt', '.md']);

// Serves `root`; resolves with the server once it listens, its port in server.port.
export function serve(root, port = 8080, host = '127.0.0.1') {
  const base = resolve(root);
  // Files and their compressed forms, kept while the file is unchanged on disk.
  const kept = new Map();  // path -> {mtime, size, body, br, gzip}
  const read = async (file) => {
    const info = await stat(file).catch(() => null);
    if (!info?.isFile()) return null;
    const known = kept.get(file);
    if (known && known.mtime === info.mtimeMs && known.size === info.size) return known;
    const entry = { mtime: info.mtimeMs, size: info.size, body: await readFile(file) };
    kept.set(file, entry);
    return entry;
  };

  const server = createServer(async (request, response) => {
    try {
      const path = decodeURIComponent(new URL(request.url, 'http://host').pathname);
      let file = normalize(join(base, path));
      if (file !== base && !file.startsWith(base + sep)) {
        response.writeHead(403).end();
        return;
      }
      if ((await stat(file).catch(() => null))?.isDirectory()) file = join(file, 'index.html');
      const entry = await read(file);
      if (!entry) {
        response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found');
        return;
      }
      const ext = extname(file);
      const headers = { 'Content-Type': TYPES[ext] ?? 'application/octet-stream', 'Cache-Control': 'no-cache' };
      const accepted = String(request.headers['accept-encoding'] ?? '');
      const encoding = !COMPRESSIBLE.has(ext) ? null : /\bbr\b/.test(accepted) ? 'br' : /\bgzip\b/.test(accepted) ? 'gzip' : null;
      let bytes = entry.body;
      if (encoding) {
        entry[encoding] ??= encoding === 'br'
          ? brotliCompressSync(entry.body, { params: { [constants.BROTLI_PARAM_QUALITY]: 11 } })
          : gzipSync(entry.body, { level: 9 });
        bytes = entry[encoding];
        headers['Content-Encoding'] = encoding;
        headers.Vary = 'Accept-Encoding';
      }
      headers['Content-Length'] = bytes.length;
      response.writeHead(200, headers);
      response.end(request.method === 'HEAD' ? undefined : bytes);
    } catch {
      response.writeHead(500).end();
    }
  });
  return new Promise((done, fail) => {
    server.once('error', fail);
    server.listen(port, host, () => {
      server.port = server.address().port;
      done(server);
    });
  });
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const [root, port = '8080'] = process.argv.slice(2);
  if (!root) {
    console.error('usage: node web/serve.mjs DIR [PORT]');
    process.exit(2);
  }
  const server = await serve(root, Number(port));
  console.log(`Kolvara: http://127.0.0.1:${server.port}/  (Ctrl+C stops)`);
}
