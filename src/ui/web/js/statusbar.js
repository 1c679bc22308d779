// The status bar: the status text with the kind of page it belongs to, and
// the clock panel with the time of day and the time since the start. A red
// dot runs along the clock panel while the navigator is idle.

import {byId} from './dom.js';
import {state} from './state.js';

const TICK_MS = 150;
const MIN_DOT = 2;

const dot = {x: 0, size: MIN_DOT, step: 1};
const pageLoaded = Date.now();
let timer = 0;

function twoDigits(n) {
  return String(n).padStart(2, '0');
}

// "hh:mm  hh:mm": the time of day, then the hours and minutes since `start`.
function clockText(now, start) {
  const minutes = Math.max(0, Math.floor((now - start) / 60000));
  const time = new Date(now);
  return `${twoDigits(time.getHours())}:${twoDigits(time.getMinutes())}  ` +
         `${twoDigits(Math.floor(minutes / 60))}:${twoDigits(minutes % 60)}`;
}

// One step: a pixel to the right, wrapping at the panel's end, and the
// diameter one pixel on between 2 and the bar's height less 8.
function moveDot(width, maxSize) {
  dot.x = (dot.x + 1) % Math.max(1, width);
  if (dot.size >= maxSize) dot.step = -1;
  else if (dot.size <= MIN_DOT) dot.step = 1;
  dot.size = Math.max(MIN_DOT, Math.min(maxSize, dot.size + dot.step));
}

function drawDot(panel) {
  const el = byId('ClockDot');
  el.style.left = `${dot.x}px`;
  el.style.top = `${(panel.clientHeight - dot.size) / 2}px`;
  el.style.width = el.style.height = `${dot.size}px`;
}

function tick() {
  const text = clockText(Date.now(), state.chrome?.startTime ?? pageLoaded);
  const clock = byId('ClockText');
  if (clock.textContent !== text) clock.textContent = text;
  if (state.chrome?.busy) return;
  const panel = byId('ClockPanel');
  moveDot(panel.clientWidth, Math.max(MIN_DOT, byId('StatusBar').clientHeight - 8));
  drawDot(panel);
}

export function initStatusBar() {
  tick();
  timer = setInterval(tick, TICK_MS);
}

export function stopStatusBar() {
  clearInterval(timer);
}

export function syncStatus(chrome) {
  const text = chrome.status ?? '';
  const icon = byId('StatusIcon');
  icon.hidden = !text;
  const src = chrome.statusKind === 'talor' ? 'img/talor_page.svg' : 'img/page.svg';
  if (icon.getAttribute('src') !== src) icon.src = src;
  const shown = byId('StatusText');
  if (shown.textContent !== text) shown.textContent = text;
}
