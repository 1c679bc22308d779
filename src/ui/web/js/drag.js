// Dragging with the mouse: the splitter, the tool bars' grips, the address
// bar's edge and the dialogs' title bars.

// Follows the pointer from `down` (a pointerdown event) until the button is
// released: `move` gets the distance moved so far, `done` runs at the end.
// While it lasts the page frame takes no pointer events, so that the drag
// goes on over it.
export function trackPointer(down, move, done = () => {}) {
  const target = down.target;
  target.setPointerCapture(down.pointerId);
  document.body.classList.add('dragging');
  const onMove = (e) => move(e.clientX - down.clientX, e.clientY - down.clientY);
  target.addEventListener('pointermove', onMove);
  target.addEventListener(
    'lostpointercapture',
    () => {
      target.removeEventListener('pointermove', onMove);
      document.body.classList.remove('dragging');
      done();
    },
    {once: true});
}
