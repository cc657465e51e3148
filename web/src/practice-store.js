// What the practice keeps on the device: the pupil's results (local storage, kept between
// visits) and the work in progress (the tab's session storage, so a reload loses nothing).
// Everything read back is checked before the page uses it.

export const RESULTS = 'kolvara.results';
export const KEPT_RESULTS = 20;

// ---- Results kept on the device ----

export function readResults() {
  try {
    const list = JSON.parse(localStorage.getItem(RESULTS) ?? '[]');
    return Array.isArray(list) ? list : [];
  } catch {
    return [];
  }
}

export function keepResult(result) {
  try {
    localStorage.setItem(RESULTS, JSON.stringify([result, ...readResults()].slice(0, KEPT_RESULTS)));
  } catch {
    // Private modes may refuse: the result is still on screen.
  }
}

export function clearResults() {
  try {
    localStorage.removeItem(RESULTS);
  } catch {
    // Nothing was kept.
  }
}

