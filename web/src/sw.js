// Keeps every file of the site after the first visit, so the page opens and works with
// the network off. A new build has a new version: its files replace the old ones.
const VERSION = 'kolvara-@VERSION@';
const FILES = @FILES@;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(VERSION).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches.keys()
      .then((keys) => Promise.all(keys.filter((k) => k.startsWith('kolvara-') && k !== VERSION).map((k) => caches.delete(k))))
      .then(() => self.clients.claim()));
});

// The kept copy first; the network only for what was never kept.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith((async () => {
    const cache = await caches.open(VERSION);
    const kept = await cache.match(request, { ignoreSearch: true }) ??
      (request.mode === 'navigate' ? await cache.match('./') : undefined);
    return kept ?? fetch(request);
  })());
});
