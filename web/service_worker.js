// Keeps the page's files so that it opens without the network after one
// visit. The build writes the list of files and the cache's name, a hash of
// their contents: a page whose files changed in any way gets a new cache,
// and the old one goes when the new worker takes over.
const CACHE = 'polytree-@PAGE_HASH@';
const FILES = [@PAGE_FILES@];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(
    names.filter((name) => name.startsWith('polytree-') && name !== CACHE).map((name) => caches.delete(name)))));
});

// The address's query holds the figure's options and nothing the server
// reads: every ?B5+L4+G4 is the same index.html.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((kept) => kept ?? fetch(event.request)));
});
