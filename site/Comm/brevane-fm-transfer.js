// The file manager's main page, beyond the component's own script: a folder's
// right-click menu downloads the folder as one ZIP, and files dropped on the
// listing are uploaded into the current folder through the upload page (the
// same rights and checks as its form), one request per file, with a bar for
// all of them and, when brevane-progress.js is loaded, the host's own bar
// for the file going up. Uses the page script's fm_folder, fm_style, fm_t
// and check_allow_write.
(function () {
  'use strict';

  // ---- folder download ----
  var groups = window.zeltoPopGroups;
  if (typeof groups === 'function') {
    window.zeltoPopGroups = function (type, name) {
      var g = groups(type, name);
      if (String(type) === 'folder' && g && g[0]) g[0].push(['down_folder', [name], '打包下载', 'down']);
      return g;
    };
  }
  // `fname` comes URL-encoded from the listing, as every menu name does.
  window.down_folder = function (fname) {
    window.location.href = 'netdrivers_zip_folder.asp?p_CurrentFolder=' + fm_folder + fname;
  };

  // ---- drop to upload ----
  function el(tag, css, text) {
    var e = document.createElement(tag);
    if (css) e.style.cssText = css;
    if (text) e.textContent = text;
    return e;
  }

  function sizeText(n) {
    if (n >= 1073741824) return (n / 1073741824).toFixed(2) + ' GB';
    if (n >= 1048576) return (n / 1048576).toFixed(1) + ' MB';
    if (n >= 1024) return (n / 1024).toFixed(0) + ' KB';
    return n + ' B';
  }

  function timeText(s) {
    if (!isFinite(s)) return '--';
    s = Math.round(s);
    var m = Math.floor(s / 60);
    return (m ? m + ' 分 ' : '') + (s % 60) + ' 秒';
  }

  // A bar of its own, shown while the files go up.
  function ProgressBox(total) {
    this.total = total;
    this.start = Date.now();
    this.box = el('div', 'position:fixed;left:50%;top:40%;width:360px;margin-left:-180px;z-index:10001;' +
      'background:#f0f0f0;border:1px solid #808080;padding:10px;font-size:12px;box-shadow:2px 2px 3px #999');
    this.box.id = 'fm_drop_progress';
    this.title = el('div', 'margin-bottom:6px;white-space:nowrap;overflow:hidden;text-overflow:ellipsis');
    var track = el('div', 'height:14px;border:1px solid #808080;background:#fff');
    this.bar = el('div', 'height:100%;width:0;background:#0a246a');
    this.bar.id = 'fm_drop_bar';
    track.appendChild(this.bar);
    this.line = el('div', 'margin-top:6px');
    this.line.id = 'fm_drop_text';
    this.file = el('div', 'margin-top:6px');
    this.file.id = 'fm_drop_file';
    this.box.appendChild(this.title);
    this.box.appendChild(track);
    this.box.appendChild(this.line);
    this.box.appendChild(this.file);
    document.body.appendChild(this.box);
  }
  ProgressBox.prototype.show = function (name, index, count, sent) {
    var pct = this.total ? Math.min(100, Math.floor(sent * 100 / this.total)) : 100;
    var secs = (Date.now() - this.start) / 1000, speed = secs > 0 ? sent / secs : 0;
    this.title.textContent = '正在上传 (' + index + '/' + count + ')：' + name;
    this.bar.style.width = pct + '%';
    this.line.textContent = pct + '%  ' + sizeText(sent) + ' / ' + sizeText(this.total) + '  ' +
      sizeText(speed) + '/s  剩余 ' + timeText(speed > 0 ? (this.total - sent) / speed : Infinity);
  };
  ProgressBox.prototype.done = function (text) {
    if (this.watcher) this.watcher.stop();
    this.file.style.display = 'none';  // the last file's bar may still wait for its first report
    this.title.textContent = '上传结束';
    this.bar.style.width = '100%';
    this.line.textContent = text;
  };

  function uploadOne(file, box, onProgress, onDone) {
    var fd = new FormData();
    fd.append('file1', file, file.name);
    var xhr = new XMLHttpRequest();
    // A browser sends names in the page's code page only from a form it
    // submits itself; what a script sends is always UTF-8.
    var url = 'netdrivers_upload.asp?act=save&fm_charset=utf-8&p_FileListStyle=' + fm_style +
      '&p_CurrentFolder=' + fm_folder + fm_t();
    var P = window.BrevaneProgress;
    if (P) {
      var token = P.token();
      url = P.url(url, token);
      if (box.watcher) box.watcher.stop();
      box.watcher = P.watch(xhr, token, box.file);
    }
    xhr.open('POST', url);
    xhr.upload.onprogress = function (e) { onProgress(e.loaded); };
    xhr.onload = function () { onDone(xhr.status === 200 && xhr.responseText.indexOf('上传成功') >= 0); };
    xhr.onerror = xhr.onabort = function () { onDone(false); };
    xhr.send(fd);
  }

  function uploadAll(files) {
    var total = 0, sent = 0, i = 0, failed = [];
    for (var k = 0; k < files.length; k++) total += files[k].size;
    var box = new ProgressBox(total);
    function next() {
      if (i >= files.length) {
        box.done(failed.length ? '上传失败：' + failed.join(' ') : '上传完成，共 ' + files.length + ' 个文件');
        setTimeout(function () { window.location.reload(); }, failed.length ? 3000 : 1500);
        return;
      }
      var f = files[i++];
      box.show(f.name, i, files.length, sent);
      uploadOne(f, box, function (loaded) { box.show(f.name, i, files.length, sent + Math.min(loaded, f.size)); },
        function (ok) {
          if (!ok) failed.push(f.name);
          sent += f.size;
          next();
        });
    }
    next();
  }

  // Files only: folders dragged in (no size, no type) are left out.
  function droppedFiles(dt) {
    var out = [], items = dt.items;
    for (var k = 0; k < dt.files.length; k++) {
      var entry = items && items[k] && items[k].webkitGetAsEntry ? items[k].webkitGetAsEntry() : null;
      if (entry && entry.isDirectory) continue;
      out.push(dt.files[k]);
    }
    return out;
  }

  function hasFiles(e) {
    var t = e.dataTransfer && e.dataTransfer.types;
    if (!t) return false;
    for (var k = 0; k < t.length; k++) if (t[k] === 'Files') return true;
    return false;
  }

  var busy = false;

  function setup() {
    var zone = document.querySelector('div.listing');
    if (!zone) return;
    // Dropped anywhere else, a file must not replace the page.
    document.addEventListener('dragover', function (e) { if (hasFiles(e)) e.preventDefault(); });
    document.addEventListener('drop', function (e) { if (hasFiles(e)) e.preventDefault(); });
    zone.addEventListener('dragover', function (e) {
      if (!hasFiles(e)) return;
      e.preventDefault();
      e.dataTransfer.dropEffect = 'copy';
      zone.style.outline = '2px dashed #0a246a';
    });
    zone.addEventListener('dragleave', function () { zone.style.outline = ''; });
    zone.addEventListener('drop', function (e) {
      if (!hasFiles(e)) return;
      e.preventDefault();
      e.stopPropagation();
      zone.style.outline = '';
      var files = droppedFiles(e.dataTransfer);
      if (busy || !files.length || !check_allow_write()) return;
      busy = true;  // until the listing reloads
      uploadAll(files);
    });
  }

  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', setup);
  else setup();
})();
