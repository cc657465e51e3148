// Keeps every file of the site after the first visit, so the page opens and works with
// the network off. A new build has a new version: its files replace the old ones.
//
// A new version waits while a page of the old one is open, so no page mixes the two (a
// module of one with the files of the other). The open page offers it ("take-over"); a load
// of the page while no other tab holds the old one takes it at once.
const VERSION = 'kolvara-@VERSION@';
const FILES = @FILES@;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(VERSION).then((cache) => cache.addAll(FILES)));
});

self.addEventListener('message', (event) => {
  if (event.data === 'take-over') self.skipWaiting();
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
    const waiting = self.registration.waiting;
    if (request.mode === 'navigate' && waiting) {
      // Only the tab being loaded holds this version: the new one takes over, and the
      // browser loads the page again from it.
      try {
        const tabs = await self.clients.matchAll({ type: 'window' });
        if (tabs.length <= 1) {
          waiting.postMessage('take-over');
          return new Response('<!doctype html><script>location.reload()</script>',
            { headers: { 'Content-Type': 'text/html; charset=utf-8' } });
        }
      } catch {
        // A browser that cannot tell the new version: the page offers it instead.
      }
    }
    const cache = await caches.open(VERSION);
    const kept = await cache.match(request, { ignoreSearch: true }) ??
      (request.mode === 'navigate' ? await cache.match('./') : undefined);
    return kept ?? fetch(request);
  })());
});
