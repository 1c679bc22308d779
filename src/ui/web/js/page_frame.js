// The page frame, where the core's current page shows, and the hidden frame
// the print view loads into before it prints.
//
// Each new page gets a new frame element: the frame's own history stays
// empty (so that nothing in it can lead back to a page that is gone, and the
// window may close itself), and a navigation the window starts is never
// taken for one of the page's own scripts.

import {byId} from './dom.js';

let shownSrc = null;
let shownGeneration = null;
let pendingFocus = null;  // an element to focus once the frame's page is there
let loading = false;      // the frame is on its way to a new page

// Replaces the frame `id` by a copy of it that loads `src`. A focus the old
// frame held passes to the copy at once: for the moment between the two the
// window would have no focus at all, and getting it back would count as the
// window being activated from another program (which focuses the page's first
// text box and scrolls the page to it).
function loadFrame(id, src, onLoad) {
  const old = byId(id);
  const hadFocus = document.activeElement === old;
  const frame = old.cloneNode(false);
  frame.addEventListener('load', () => onLoad(frame), {once: true});
  frame.src = src;
  old.replaceWith(frame);
  if (hadFocus) frame.focus();
  return frame;
}

function pageElement(handle) {
  const doc = byId('NavigatorWebBrowser').contentDocument;  // null for a foreign page
  if (loading || !doc) return null;
  return doc.querySelector(`[data-talor-id="${CSS.escape(String(handle))}"]`);
}

function focusIn(handle) {
  const target = pageElement(handle);
  if (!target) return false;
  byId('NavigatorWebBrowser').focus();
  target.focus();
  return true;
}

export function focusPageElement({element}) {
  pendingFocus = focusIn(element) ? null : element;
}

export function showPage(page) {
  shownGeneration = page.generation;
  const src = page.kind === 'empty' ? 'about:blank' : page.src;
  if (src === shownSrc) return;
  shownSrc = src;
  const hadFocus = document.activeElement === byId('NavigatorWebBrowser');
  loading = true;
  loadFrame('NavigatorWebBrowser', src, (frame) => {
    if (frame !== byId('NavigatorWebBrowser')) return;  // a newer page replaced it
    loading = false;
    if (hadFocus) frame.focus();
    const element = pendingFocus;
    pendingFocus = null;
    if (element !== null) focusIn(element);
  });
}

// The core scrolled its copy of the page: the frame follows.
export function scrollPage({generation, top}) {
  const frameWindow = byId('NavigatorWebBrowser').contentWindow;
  if (generation !== shownGeneration || loading) return;
  try {
    if (Math.round(frameWindow.scrollY) !== top) frameWindow.scrollTo(0, top);
  } catch {
    // a foreign page: its scrolling is its own
  }
}

export function printPage(print) {
  loadFrame('PrintWebBrowser', print.src, (frame) => frame.contentWindow.print());
}
