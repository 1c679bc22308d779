// The window's keyboard shortcuts. Both the window and the page frame stop
// the browser's own action for them and hand them to the core, which runs
// the command when it is enabled.

const SHORTCUTS = [
  {key: 79, ctrl: true},  // Ctrl+O: open a file
  {key: 74, ctrl: true},  // Ctrl+J: open a file
  {key: 83, ctrl: true},  // Ctrl+S: save as
  {key: 80, ctrl: true},  // Ctrl+P: print
  {key: 72, ctrl: true},  // Ctrl+H: print
  {key: 116},             // F5: refresh
  {key: 27},              // Esc: stop
  {key: 37, alt: true},   // Alt+Left: back
  {key: 39, alt: true},   // Alt+Right: forward
  {key: 36, alt: true},   // Alt+Home: home page
];

export function isShortcut(e) {
  return SHORTCUTS.some(
    (s) => s.key === e.keyCode && Boolean(s.ctrl) === e.ctrlKey && Boolean(s.alt) === e.altKey);
}

// The fields of POST /api/key for a key event.
export function keyFields(e) {
  const bit = (on) => (on ? 1 : 0);
  return {key: e.keyCode, ctrl: bit(e.ctrlKey), alt: bit(e.altKey), shift: bit(e.shiftKey)};
}
