// Runs first in every document of the page frame (/page/<generation>). The
// frame never navigates by itself: links, forms, check boxes, script
// navigations and scrolling go to the navigator core, which answers with the
// next page. The document's address carries ?scroll=N (where to scroll to)
// and ?rbutton=0 when the right button is switched off.
//
// A classic script, so that it is in place before the page's own scripts
// run; the helpers it shares with the window come in as modules.

(function () {
  'use strict';

  const parts = location.pathname.split('/');
  if (parts[1] !== 'page') return;  // the print view shows, nothing more
  const generation = parts[2];
  const query = new URLSearchParams(location.search);

  const api = import('/js/api.js');
  let isShortcut = () => false;
  let keyFields = null;
  import('/js/shortcuts.js').then((m) => {
    isShortcut = m.isShortcut;
    keyFields = m.keyFields;
  });

  // Posts keep their order: each waits for the helpers, then for the one
  // before it.
  function post(path, fields) {
    api.then((m) => m.post(path, fields));
  }

  function handle(el) {
    return el.getAttribute('data-talor-id');
  }

  // ---- links
  function linkOf(e) {
    const target = e.target instanceof Element ? e.target : null;
    return target?.closest('a[data-talor-id], area[data-talor-id]') ?? null;
  }

  document.addEventListener('click', (e) => {
    const link = linkOf(e);
    if (!link || e.defaultPrevented) return;
    e.preventDefault();
    post('/api/page/click', {generation, element: handle(link)});
  });
  // The middle button would open the link in a browser window of its own.
  document.addEventListener('auxclick', (e) => {
    if (linkOf(e)) e.preventDefault();
  });

  // ---- check boxes and radio buttons
  document.addEventListener('change', (e) => {
    const input = e.target;
    if (!(input instanceof HTMLInputElement) || !handle(input)) return;
    if (input.type !== 'checkbox' && input.type !== 'radio') return;
    const checked = input.checked ? '1' : '0';
    post('/api/page/checked', {generation, element: handle(input), checked});
  });

  // ---- forms
  function submitForm(form, submitter) {
    const fields = new URLSearchParams({
      generation,
      form: handle(form) ?? '0',
      submitter: (submitter && handle(submitter)) ?? '0',
    });
    for (const control of form.elements) {
      const id = handle(control);
      if (!id || !('value' in control)) continue;
      if (control instanceof HTMLSelectElement) {
        for (const option of control.selectedOptions) fields.append(`v${id}`, option.value);
      } else {
        fields.append(`v${id}`, control.value);
      }
      if (control.type === 'checkbox' || control.type === 'radio') {
        fields.append(`c${id}`, control.checked ? '1' : '0');
      }
    }
    post('/api/page/submit', fields);
  }

  document.addEventListener('submit', (e) => {
    if (e.defaultPrevented) return;
    e.preventDefault();
    submitForm(e.target, e.submitter);
  });
  // A script's form.submit() sends no submit event; it is a submission all
  // the same.
  HTMLFormElement.prototype.submit = function () {
    submitForm(this, null);
  };

  // ---- script navigations
  function navigate(url, target) {
    post('/api/page/navigate', {generation, url: String(url), target: String(target)});
  }

  function command(name) {
    post('/api/command', {name});
  }

  // The Navigation API gives resolved addresses, and this document's address
  // is the window server's, not the page's own; the core resolves addresses
  // against the page's own. So an address of this server goes back to the
  // form the page wrote it in: relative to the document's base, or a file:
  // address for a local file.
  function asWritten(url) {
    const target = new URL(url);
    if (target.origin !== location.origin) return url;
    const base = new URL('.', document.baseURI).href;
    if (target.href.startsWith(base)) return target.href.slice(base.length);
    const path = target.pathname + target.search + target.hash;
    if (!path.startsWith('/local/')) return path;
    return `file:///${decodeURI(path.slice('/local/'.length))}`;
  }

  window.open = function (url = '', target = '_blank') {
    navigate(url, target);
    return null;
  };
  if (window.navigation) {
    window.navigation.addEventListener('navigate', (e) => {
      if (e.hashChange || !e.cancelable) return;  // moving within the page stays here
      e.preventDefault();
      if (e.navigationType === 'reload') command('Refresh');
      else navigate(asWritten(e.destination.url), '');
    });
  }
  // The page's history is the navigator's page list: going back or forward in
  // it is the window's Back and Forward.
  History.prototype.back = () => command('Back');
  History.prototype.forward = () => command('Forward');
  History.prototype.go = (delta = 0) => {
    if (delta < 0) command('Back');
    else if (delta > 0) command('Forward');
    else command('Refresh');
  };

  // ---- scrolling: the place the core keeps for the page is taken as soon
  // as the document is there, and again once its pictures have their sizes.
  const scrollTop = Number(query.get('scroll')) || 0;
  function restoreScroll() {
    if (scrollTop && Math.round(window.scrollY) !== scrollTop) window.scrollTo(0, scrollTop);
  }
  document.addEventListener('DOMContentLoaded', restoreScroll);
  window.addEventListener('load', restoreScroll);
  let scrollTimer = 0;
  window.addEventListener('scroll', () => {
    clearTimeout(scrollTimer);
    scrollTimer = setTimeout(() => {
      post('/api/page/scroll', {generation, top: String(Math.round(window.scrollY))});
    }, 150);
  });

  // ---- the status text: the address of the link under the pointer
  let status = '';
  function setStatus(text) {
    if (text === status) return;
    status = text;
    post('/api/status', {text});
  }
  document.addEventListener('mouseover', (e) => {
    const link = e.target instanceof Element ? e.target.closest('a[href], area[href]') : null;
    setStatus(link ? link.getAttribute('href') : '');
  });
  document.addEventListener('mouseout', (e) => {
    if (!e.relatedTarget) setStatus('');
  });

  // ---- the window's shortcuts and the right button
  window.addEventListener(
    'keydown',
    (e) => {
      if (!isShortcut(e)) return;
      e.preventDefault();
      window.parent.postMessage({talorKey: keyFields(e)}, location.origin);
    },
    true);
  if (query.get('rbutton') === '0') {
    document.addEventListener('contextmenu', (e) => e.preventDefault());
  }
})();
