// The window state as the core last sent it. The core owns it; the page only
// mirrors it and never changes it by itself.

export const state = {
  chrome: null,
  favorites: {items: []},
  history: {sort: 'time', items: []},
};

// The interface switches that hide a command altogether.
const COMMAND_SWITCHES = {
  FileOpen: 'fileOpen',
  FileSaveAs: 'fileSaveAs',
  FilePrint: 'filePrint',
  FavoritesAdd: 'favoritesAdd',
};

export function commandShown(name) {
  const key = COMMAND_SWITCHES[name];
  return !key || state.chrome?.switches?.[key] !== false;
}

export function commandEnabled(name) {
  // A window that takes no input (a dialog above it, an exchange running)
  // has every command greyed.
  if (state.chrome?.enabled === false) return false;
  return state.chrome?.commands?.[name] !== false;
}

// The lines of the left panel: the open list's items.
export function panelItems() {
  switch (state.chrome?.panel) {
    case 'favorites':
      return state.favorites.items;
    case 'history':
      return state.history.items;
    default:
      return [];
  }
}

// The page list split around the current page: the back list nearest first.
export function visitLists() {
  const visits = state.chrome?.visits ?? [];
  const current = visits.findIndex((v) => v.current);
  if (current < 0) return {back: [], forward: []};
  return {back: visits.slice(0, current).reverse(), forward: visits.slice(current + 1)};
}
