/*
 * Upload progress bar for pages served by `brevane serve`.
 *
 * The host counts the bytes of every request body that names a progress
 * token (query key brevane_progress, or header X-Brevane-Progress) and
 * answers GET /brevane-progress?token=... with JSON:
 *   {"state":"waiting|receiving|processing|done|failed","received":N,
 *    "total":N,"percent":P,"rate":bytes_per_second,"elapsed":s,"remaining":s|null}
 * This script polls that answer and draws a bar with the percentage, the
 * speed and the time left. It needs nothing else on the page.
 *
 * API (one global, BrevaneProgress):
 *   BrevaneProgress.token()          a fresh random token
 *   BrevaneProgress.url(url, token)  url with brevane_progress=token added
 *   BrevaneProgress.watch(target, token, element, options)
 *     target  a <form>: each submit gets a fresh token in its action and
 *             starts the bar; the form then posts as usual (the bar runs
 *             until the answer replaces the page).
 *             An XMLHttpRequest (or null, e.g. for fetch): the bar starts
 *             now for `token`; send the request to
 *             BrevaneProgress.url(url, token) or with the header
 *             X-Brevane-Progress: token. For an XMLHttpRequest the bar
 *             also stops when it ends.
 *     token   optional for a form (a fresh one per submit)
 *     element where the bar goes; default: a new <div> after the form
 *     options {interval: ms between polls (250), onupdate(info, watcher)}
 *   Returns a watcher {element, token, last, stop()}; last is the latest
 *   JSON answer. The bar element carries data-percent and data-state.
 */
(function (global) {
  'use strict';

  function token() {
    var a = new Uint8Array(12), s = '';
    (global.crypto || global.msCrypto).getRandomValues(a);
    for (var i = 0; i < a.length; i++) s += ('0' + a[i].toString(16)).slice(-2);
    return s;
  }

  function url(u, t) {
    var hash = '', h = u.indexOf('#');
    if (h >= 0) { hash = u.slice(h); u = u.slice(0, h); }
    u = u.replace(/([?&])brevane_progress=[^&]*&?/, '$1').replace(/[?&]$/, '');
    return u + (u.indexOf('?') >= 0 ? '&' : '?') + 'brevane_progress=' + encodeURIComponent(t) + hash;
  }

  function size(n) {
    if (n >= 1073741824) return (n / 1073741824).toFixed(2) + ' GB';
    if (n >= 1048576) return (n / 1048576).toFixed(1) + ' MB';
    if (n >= 1024) return (n / 1024).toFixed(1) + ' KB';
    return Math.round(n) + ' B';
  }

  function clock(s) {
    s = Math.max(0, Math.round(s));
    var m = Math.floor(s / 60), r = s % 60;
    return m + ':' + (r < 10 ? '0' : '') + r;
  }

  function build(el) {
    el.className = (el.className ? el.className + ' ' : '') + 'brevane-progress';
    el.innerHTML = '';
    el.style.display = 'block';
    var track = document.createElement('div');
    track.style.cssText = 'position:relative;height:18px;border:1px solid #8aa;background:#eef3f3;' +
      'border-radius:3px;overflow:hidden;margin:6px 0 2px;max-width:480px';
    var bar = document.createElement('div');
    bar.className = 'brevane-progress-bar';
    bar.style.cssText = 'height:100%;width:0;background:#4a9;transition:width .2s';
    var text = document.createElement('div');
    text.className = 'brevane-progress-text';
    text.style.cssText = 'font:12px sans-serif;color:#333';
    track.appendChild(bar);
    el.appendChild(track);
    el.appendChild(text);
    el.setAttribute('data-percent', '0');
    el.setAttribute('data-state', 'waiting');
    text.textContent = '\u7b49\u5f85\u4e0a\u4f20\u5f00\u59cb\u2026';
    return { bar: bar, text: text };
  }

  function show(el, parts, p) {
    var pct = Math.min(100, Math.max(0, p.percent || 0));
    parts.bar.style.width = pct + '%';
    el.setAttribute('data-percent', String(pct));
    el.setAttribute('data-state', p.state);
    var words;
    if (p.state === 'waiting') words = '\u7b49\u5f85\u4e0a\u4f20\u5f00\u59cb\u2026';
    else if (p.state === 'failed') words = '\u4e0a\u4f20\u4e2d\u65ad\uff1a\u5df2\u6536\u5230 ' + size(p.received) + (p.total ? ' / ' + size(p.total) : '');
    else if (p.state === 'processing') words = '100% \u5df2\u6536\u5230 ' + size(p.received) + '\uff0c\u670d\u52a1\u5668\u6b63\u5728\u4fdd\u5b58\u2026';
    else if (p.state === 'done') words = '100% \u4e0a\u4f20\u5b8c\u6210\uff0c\u5171 ' + size(p.received) + '\uff0c\u7528\u65f6 ' + clock(p.elapsed);
    else {
      words = pct.toFixed(1) + '% \u5df2\u6536\u5230 ' + size(p.received) + (p.total ? ' / ' + size(p.total) : '') +
        '\uff0c\u901f\u5ea6 ' + size(p.rate) + '/s';
      if (p.remaining !== null && p.remaining !== undefined) words += '\uff0c\u5269\u4f59 ' + clock(p.remaining);
    }
    parts.text.textContent = words;
  }

  function start(t, el, options) {
    var parts = build(el);
    var w = { element: el, token: t, last: null, stopped: false, timer: null };
    var interval = (options && options.interval) || 250;
    var base = (options && options.endpoint) || '/brevane-progress';
    w.stop = function () { w.stopped = true; if (w.timer) clearTimeout(w.timer); };
    function poll() {
      var x = new XMLHttpRequest();
      x.open('GET', base + '?token=' + encodeURIComponent(t) + '&_=' + Date.now(), true);
      x.onload = function () {
        var p = null;
        try { p = JSON.parse(x.responseText); } catch (e) { }
        if (p && !w.stopped) {
          w.last = p;
          show(el, parts, p);
          if (options && options.onupdate) options.onupdate(p, w);
          if (p.state === 'done' || p.state === 'failed') { w.stop(); return; }
        }
        next();
      };
      x.onerror = next;
      x.send();
    }
    function next() {
      if (w.stopped) return;
      // Close to the end the polls come faster, so the last moment (all in,
      // the page at work) is seen before the answer replaces the page.
      var p = w.last, soon = p && (p.state === 'processing' ||
        (p.remaining !== null && p.remaining !== undefined && p.remaining * 1000 < 3 * interval));
      w.timer = setTimeout(poll, soon ? Math.max(40, interval / 4) : interval);
    }
    poll();
    return w;
  }

  function watch(target, t, el, options) {
    options = options || {};
    var isForm = target && target.tagName && target.tagName.toLowerCase() === 'form';
    if (!el) {
      el = document.createElement('div');
      if (isForm && target.parentNode) target.parentNode.insertBefore(el, target.nextSibling);
      else document.body.appendChild(el);
    }
    if (!isForm) {
      var w = start(t, el, options);
      if (target && target.addEventListener) {
        // The host reports "done" before its answer goes out, so the polls
        // end by themselves; a request that never reached it stops here.
        target.addEventListener('loadend', function () {
          setTimeout(function () { w.stop(); }, 2000);
        });
      }
      return w;
    }
    var holder = { element: el, token: t, last: null, stop: function () { if (holder.current) holder.current.stop(); } };
    var action = target.getAttribute('action') || global.location.href;
    target.addEventListener('submit', function (ev) {
      if (ev.defaultPrevented) return;
      holder.token = token();
      target.setAttribute('action', url(action, holder.token));
      if (holder.current) holder.current.stop();
      holder.current = start(holder.token, el, {
        interval: interval(options), endpoint: options.endpoint,
        onupdate: function (p) { holder.last = p; if (options.onupdate) options.onupdate(p, holder); }
      });
    });
    return holder;
  }

  function interval(options) { return (options && options.interval) || 250; }

  global.BrevaneProgress = { token: token, url: url, watch: watch };
})(window);
