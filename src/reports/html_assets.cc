#include "reports/html_assets.h"

// Outcome colours from a palette that readers with any common colour
// blindness tell apart; each outcome also has a line style of its own
// (solid, dashed, dotted, double) and a letter, so that colour is never the
// only cue. Text in an outcome's colour takes a darker shade of it (--t0 to
// --t3), at least 4.5:1 against white. One font family throughout.
const char html_style[] = R"css(
:root { --k0: #0072b2; --k1: #d55e00; --k2: #e69f00; --k3: #009e73; --sel: #cc79a7;
  --t0: #0072b2; --t1: #b34e00; --t2: #8a5d00; --t3: #00785a; --bar: 4rem; }
body { font: 15px/1.45 system-ui, sans-serif; margin: 0; color: #1b1b1b; background: #fff; }
button, select, input { font: inherit; }
#summary .jump { margin: .2rem 0; }
#document, #index, #table { scroll-margin-top: calc(var(--bar) + .5rem); }
#index th button { font-weight: 600; border: 0; background: none; padding: 0; cursor: pointer;
  color: inherit; text-decoration: underline dotted; }
#index th[aria-sort="ascending"] button::after { content: " \2191"; }
#index th[aria-sort="descending"] button::after { content: " \2193"; }
tr.avg.first th, tr.avg.first td { border-top: 2px solid #999; }
main { max-width: 70rem; margin: 0 auto; padding: 0 1rem; }
#index table { display: table; }
#index a.open { font-weight: 700; }
header dl { display: grid; grid-template-columns: max-content 1fr; gap: .1rem 1rem; }
header dt { font-weight: 600; }
header dd { margin: 0; overflow-wrap: anywhere; }
h1 { margin: .6rem 0 .2rem; }
h2 { margin: 1.4rem 0 .4rem; border-bottom: 1px solid #ccc; }
table { border-collapse: collapse; margin: .4rem 1.5rem .4rem 0; display: inline-table;
  vertical-align: top; }
th, td { padding: .15rem .5rem; text-align: right; border-bottom: 1px solid #eee; }
th { text-align: left; font-weight: 600; }
table.heat td { min-width: 2.5rem; text-align: center;
  background: rgba(213, 94, 0, calc(var(--share) * .85)); }
table.heat td.diag { background: rgba(0, 158, 115, calc(var(--share) * .85)); font-weight: 700; }
table.heat td.rest { background: rgba(110, 110, 110, calc(var(--share) * .6)); }
table.heat td .split { display: block; font-size: .75em; font-weight: 400; }
.note { color: #555; font-size: 14px; }
#controls { display: flex; flex-wrap: wrap; gap: .4rem 1rem; align-items: center;
  position: sticky; top: 0; background: #fff; padding: .4rem 0; z-index: 3;
  border-bottom: 1px solid #ddd; }
#controls fieldset { border: 1px solid #ccc; padding: .1rem .5rem; margin: 0; }
#controls label { white-space: nowrap; margin-right: .5rem; }
#controls .steps { white-space: nowrap; display: inline-flex; gap: .3rem; }
.swatch { display: inline-block; width: 1.6rem; height: 0; vertical-align: middle;
  border-top: 4px solid; margin-right: .25rem; }
.k0 .swatch, .bar.k0 { border-top: 4px double var(--k0); color: var(--t0); }
.k1 .swatch, .bar.k1 { border-top: 4px dotted var(--k1); color: var(--t1); }
.k2 .swatch, .bar.k2 { border-top: 4px dashed var(--k2); color: var(--t2); }
.k3 .swatch, .bar.k3 { border-top: 4px solid var(--k3); color: var(--t3); }
#view { display: flex; gap: 1rem; align-items: flex-start; }
#text { flex: 1; min-width: 0; font-size: 16px; line-height: 3.4; }
.sec { position: relative; white-space: pre-wrap; overflow-wrap: anywhere; }
.layer { position: absolute; left: 0; top: 0; width: 100%; height: 0; }
.bar { position: absolute; height: 0; padding: 0; margin: 0; background: none; border: 0;
  cursor: pointer; font-weight: 600; font-size: 10px; line-height: 1; }
.bar > span { position: absolute; left: 0; white-space: nowrap; background: #fff;
  padding: 0 2px; }
.bar.ref > span { bottom: 4px; }
.bar.hyp > span { top: 2px; }
.bar.off { display: none; }
.bar.sel { outline: 3px solid var(--sel); outline-offset: 1px; }
.bar:focus-visible { outline: 3px solid #000; }
.cand { position: absolute; width: 0; border-left: 2px solid #777; height: 1.1em; }
.cand.off { display: none; }
.bar { scroll-margin: calc(var(--bar) + 3rem) 0 3rem; }
mark.sel { background: #f6e1ee; color: inherit; }
#details { position: sticky; top: calc(var(--bar) + 8px); width: 22rem; flex: none;
  font-size: 14px; border: 1px solid #ccc; padding: .5rem .8rem; overflow: auto;
  max-height: calc(100vh - var(--bar) - 16px); box-sizing: border-box; background: #fff; }
#details button.other { display: block; text-align: left; margin: .2rem 0; }
#details h3 { margin: .2rem 0; }
#details table { display: table; margin: 0; }
#details td { text-align: left; }
#details .chosen { font-weight: 700; text-decoration: underline; }
.help { color: #555; }
#parts { white-space: nowrap; }
.part-edge { display: block; margin: .5rem 0; font-size: 14px; }
/* A narrow window puts the details under the text, held at the window's
   foot while the text scrolls. */
@media (max-width: 50rem) {
  #view { display: block; }
  #details { width: auto; top: auto; bottom: 0; max-height: 40vh;
    box-shadow: 0 -2px 6px rgba(0, 0, 0, .15); }
}
)css";

// Draws the entities of the sections of text that come into view (the text
// itself is all there from the start, so that it can be searched and
// selected), keeps the filters, and shows an outcome when one is chosen.
const char html_script[] = R"js(
(function () {
  'use strict';
  var blocks = document.querySelectorAll('script.doc');
  var data, text, ents, outs, sections, errorId = -1, typeId = -1;
  var KINDS = ['insertion', 'deletion', 'substitution', 'correct'];
  var LETTERS = ['I', 'D', 'S', 'C'];
  // Filters hold names: each document has its own table of them.
  var state = { kinds: [true, true, true, true], error: '', type: '', current: -1 };
  var view = document.getElementById('text');
  var STEP = 12;  // between the bars of nested entities, a label's height
  // Chromium lays out nothing below 33,554,432 px: a taller page piles its
  // end up on one line. A long document is shown one part at a time, each
  // part at most a quarter of that high (room for the rest of the page, and
  // for a window narrower than reckoned) and short enough to lay out at
  // once when a jump lands in it.
  var PART_HEIGHT = 8388608, PART_CHARS = 2000000;
  var NARROW = 16;  // characters a line holds at least: wide ones, a narrow window
  var DEEPEST = 40;  // nesting that the line spacing makes room for
  var parts, part = -1;

  function typeOf(e) { return e < 0 ? -1 : ents[e][4]; }
  function shown(o) {
    var out = outs[o];
    if (!state.kinds[out[0]]) return false;
    if (state.error !== '' && out[2].indexOf(errorId) < 0) return false;
    if (state.type !== '' && typeOf(out[3]) !== typeId && typeOf(out[4]) !== typeId) {
      return false;
    }
    return true;
  }
  function sectionAt(pos) {
    var lo = 0, hi = sections.length - 1;
    while (lo < hi) {
      var mid = (lo + hi + 1) >> 1;
      if (sections[mid].from <= pos) lo = mid; else hi = mid - 1;
    }
    return lo;
  }

  // Sections of about 3,000 characters, cut after a line end where one is
  // near; a part's text goes in whole, the entities as their section shows.
  function layOut() {
    sections = [];
    for (var from = 0; from < text.length || sections.length === 0;) {
      var to = Math.min(text.length, from + 3000);
      if (to < text.length) {
        var nl = text.indexOf('\n', to);
        to = nl >= 0 && nl - from < 12000 ? nl + 1 : Math.min(text.length, from + 12000);
        // Never between the two halves of a character beyond U+FFFF.
        if (to < text.length && (text.charCodeAt(to) & 0xFC00) === 0xDC00) to++;
      }
      sections.push({ from: from, to: to, ents: [], ticks: [], el: null, drawn: false });
      if (to === from) break;
      from = to;
    }
    var deepest = 0;
    ents.forEach(function (e, i) {
      var last = sectionAt(Math.max(e[0], e[1] - 1));
      for (var s = sectionAt(e[0]); s <= last; s++) sections[s].ents.push(i);
      deepest = Math.max(deepest, e[3]);
      if (e[8]) {
        e[8][0].concat(e[8][1]).forEach(function (p) {
          if (p !== e[0] && p !== e[1]) sections[sectionAt(p)].ticks.push([p, i]);
        });
      }
    });
    // Room between lines for the deepest bars and their labels, both sides
    // (past DEEPEST levels, bars reach into the next lines).
    var lineHeight = 22 + 2 * (16 + Math.min(deepest, DEEPEST) * STEP);
    view.style.lineHeight = lineHeight + 'px';
    // Parts of whole sections, by the lines their text takes at most.
    parts = [];
    var first = 0, chars = 0, lines = 0;
    sections.forEach(function (sec, i) {
      var n = 0;
      for (var at = sec.from; at < sec.to;) {
        var end = text.indexOf('\n', at);
        end = end < 0 || end >= sec.to ? sec.to : end + 1;
        n += Math.max(1, Math.ceil((end - at) / NARROW));
        at = end;
      }
      if (i > first && (chars + sec.to - sec.from > PART_CHARS ||
                        (lines + n) * lineHeight > PART_HEIGHT)) {
        parts.push({ first: first, last: i - 1 });
        first = i;
        chars = lines = 0;
      }
      sec.part = parts.length;
      chars += sec.to - sec.from;
      lines += n;
    });
    parts.push({ first: first, last: sections.length - 1 });
    part = -1;
    showPart(0);
  }

  // The part's sections go on the page in place of the last part's.
  var partsNav = document.getElementById('parts');
  function showPart(p) {
    if (p === part) return;
    watcher.disconnect();
    sections.forEach(function (sec) { sec.el = null; sec.drawn = false; });
    part = p;
    var fragment = document.createDocumentFragment();
    var edge = function (to, what) {
      var b = document.createElement('button');
      b.type = 'button';
      b.className = 'part-edge';
      b.textContent = what + ' (part ' + (to + 1) + ' of ' + parts.length + ')';
      b.addEventListener('click', function () { goToPart(to); });
      fragment.appendChild(b);
    };
    if (p > 0) edge(p - 1, 'The text before');
    for (var i = parts[p].first; i <= parts[p].last; i++) {
      var sec = sections[i], el = document.createElement('div');
      el.className = 'sec';
      el.dataset.section = i;
      el.appendChild(document.createTextNode(text.slice(sec.from, sec.to)));
      sec.el = el;
      fragment.appendChild(el);
    }
    if (p + 1 < parts.length) edge(p + 1, 'The text goes on');
    view.textContent = '';
    view.appendChild(fragment);
    for (i = parts[p].first; i <= parts[p].last; i++) watcher.observe(sections[i].el);
    partsNav.hidden = parts.length < 2;
    document.getElementById('part-at').textContent = 'Part ' + (p + 1) + ' of ' + parts.length;
    document.getElementById('part-prev').disabled = p === 0;
    document.getElementById('part-next').disabled = p + 1 === parts.length;
  }
  // A part chosen on its own opens at its start, or at its end when it is
  // the one before: reading goes on where it left off.
  function goToPart(p) {
    var back = p === part - 1;
    showPart(p);
    view.scrollIntoView({ block: back ? 'end' : 'start' });
  }
  document.getElementById('part-prev').addEventListener('click', function () {
    goToPart(part - 1);
  });
  document.getElementById('part-next').addEventListener('click', function () {
    goToPart(part + 1);
  });

  // An entity's file and line, or its annotation's place ("doc.ann:3 (T2)").
  function placeOf(en) {
    return data.files[en[2]] + (typeof en[6] === 'number' ? ':' + en[6] : en[6]);
  }

  // What a bar says on hover and to a screen reader: side, type, outcome,
  // cost and error names.
  function describe(e) {
    var en = ents[e], out = outs[en[5]];
    var errors = out[2].map(function (x) { return data.errors[x]; }).join(' ');
    return (en[2] ? 'hypothesis ' : 'reference ') + data.types[en[4]] + ': ' + KINDS[out[0]] +
      ', cost ' + (out[1] === null ? 'infinite' : out[1]) + (errors ? ' (' + errors + ')' : '') +
      ', ' + placeOf(en);
  }

  function draw(sec) {
    if (sec.drawn) return;
    sec.drawn = true;
    var node = sec.el.firstChild;
    var base = sec.el.getBoundingClientRect();
    var layer = document.createElement('div');
    layer.className = 'layer';
    sec.ents.forEach(function (i) {
      var e = ents[i];
      var s = Math.max(e[0], sec.from) - sec.from, t = Math.min(e[1], sec.to) - sec.from;
      var range = document.createRange();
      range.setStart(node, s);
      range.setEnd(node, Math.max(s, t));
      var rects = Array.prototype.filter.call(range.getClientRects(), function (r, k, all) {
        return r.width > 0 || all.length === 1;
      });
      var o = e[5], lift = 5 + e[3] * STEP;
      rects.forEach(function (r, k) {
        var bar = document.createElement('button');
        bar.type = 'button';
        bar.className = 'bar ' + (e[2] ? 'hyp' : 'ref') + ' k' + outs[o][0];
        bar.style.left = (r.left - base.left) + 'px';
        bar.style.width = Math.max(r.width, 4) + 'px';
        bar.style.top = (e[2] ? r.bottom - base.top + lift - 4 : r.top - base.top - lift) + 'px';
        bar.dataset.o = o;
        bar.dataset.e = i;
        bar.title = describe(i);
        bar.setAttribute('aria-label', describe(i));
        if (k === 0) {
          var label = document.createElement('span');
          label.textContent = LETTERS[outs[o][0]] + ' ' + data.types[e[4]];
          bar.appendChild(label);
        } else {
          bar.tabIndex = -1;
        }
        if (!shown(o)) bar.classList.add('off');
        if (o === state.current) bar.classList.add('sel');
        layer.appendChild(bar);
      });
    });
    // The candidates the alignment did not choose, as ticks, in the section
    // where each lies.
    sec.ticks.forEach(function (t) {
      var at = document.createRange();
      at.setStart(node, t[0] - sec.from);
      at.setEnd(node, t[0] - sec.from);
      var rr = at.getBoundingClientRect();
      var tick = document.createElement('span');
      tick.className = 'cand';
      tick.style.left = (rr.left - base.left - 1) + 'px';
      tick.style.top = (rr.top - base.top) + 'px';
      tick.title = 'alternative boundary';
      tick.dataset.o = ents[t[1]][5];
      if (!shown(ents[t[1]][5])) tick.classList.add('off');
      layer.appendChild(tick);
    });
    sec.el.appendChild(layer);
  }
  function undraw(sec) {
    if (!sec.drawn) return;
    sec.drawn = false;
    sec.el.removeChild(sec.el.lastChild);
  }

  var watcher = new IntersectionObserver(function (entries) {
    entries.forEach(function (en) {
      // Sections far out of view give their drawing back.
      var sec = sections[+en.target.dataset.section];
      if (!sec || sec.el !== en.target) return;  // another document's
      if (en.isIntersecting) draw(sec); else undraw(sec);
    });
  }, { rootMargin: '600px 0px' });

  // The details, and whatever a jump brings into view, stay below the
  // filters and within the window, however many lines the filters take.
  var controls = document.getElementById('controls');
  new ResizeObserver(function () {
    document.documentElement.style.setProperty('--bar', controls.offsetHeight + 'px');
  }).observe(controls);

  // The text's width changes with the window, and with a scroll bar that
  // comes or goes: the bars are laid out again.
  var resizing = 0, width = view.clientWidth;  // its first report is no change
  new ResizeObserver(function () {
    if (view.clientWidth === width) return;
    width = view.clientWidth;
    clearTimeout(resizing);
    resizing = setTimeout(function () {
      sections.forEach(function (sec) {
        if (!sec.drawn) return;
        var r = sec.el.getBoundingClientRect();
        undraw(sec);
        if (r.bottom > -600 && r.top < window.innerHeight + 600) draw(sec);
      });
    }, 150);
  }).observe(view);

  function refilter() {
    // A name this document does not use matches nothing (-2 is no id, and
    // no side's "none" either).
    errorId = state.error === '' ? -1 : data.errors.indexOf(state.error);
    typeId = state.type === '' ? -1 : data.types.indexOf(state.type);
    if (state.error !== '' && errorId < 0) errorId = -2;
    if (state.type !== '' && typeId < 0) typeId = -2;
    var n = 0;
    for (var o = 0; o < outs.length; o++) if (shown(o)) n++;
    document.getElementById('shown').textContent = n + ' of ' + outs.length + ' outcomes shown';
    Array.prototype.forEach.call(view.querySelectorAll('.bar, .cand'), function (mark) {
      mark.classList.toggle('off', !shown(+mark.dataset.o));
    });
  }
  Array.prototype.forEach.call(document.querySelectorAll('input[data-kind]'), function (box) {
    box.addEventListener('change', function () {
      state.kinds[+box.dataset.kind] = box.checked;
      refilter();
    });
  });
  // The filters' choices index the page's name lists, which hold the names
  // as the documents do (the options show them escaped).
  var names = JSON.parse(document.getElementById('names').textContent);
  document.getElementById('error-filter').addEventListener('change', function (ev) {
    state.error = +ev.target.value < 0 ? '' : names.errors[+ev.target.value];
    refilter();
  });
  document.getElementById('type-filter').addEventListener('change', function (ev) {
    state.type = +ev.target.value < 0 ? '' : names.types[+ev.target.value];
    refilter();
  });

  function cell(row, name, value) {
    var tr = document.createElement('tr');
    var th = document.createElement('th');
    th.textContent = name;
    var td = document.createElement('td');
    if (value instanceof Node) td.appendChild(value); else td.textContent = value;
    tr.appendChild(th);
    tr.appendChild(td);
    row.appendChild(tr);
  }
  function entityTable(e) {
    var en = ents[e], table = document.createElement('table');
    cell(table, 'Side', en[2] ? 'hypothesis' : 'reference');
    cell(table, 'Place', placeOf(en));
    cell(table, 'Type', data.types[en[4]]);
    cell(table, 'Text', text.slice(en[0], en[1]));
    if (en[7]) {
      Object.keys(en[7]).forEach(function (k) { cell(table, k, en[7][k]); });
    }
    if (en[8]) {
      // The candidates in the text, as the detail listing marks them: { and }
      // the chosen start and end, [ and ] the others.
      var marks = {};
      en[8][0].forEach(function (p) { marks[p] = (marks[p] || '') + (p === en[0] ? '{' : '['); });
      en[8][1].forEach(function (p) { marks[p] = (p === en[1] ? '}' : ']') + (marks[p] || ''); });
      var at = Object.keys(marks).map(Number).sort(function (a, b) { return a - b; });
      var shownText = '';
      at.forEach(function (p, k) {
        if (k > 0) shownText += text.slice(at[k - 1], p);
        shownText += marks[p];
      });
      cell(table, 'Boundaries', shownText);
    }
    return table;
  }
  function select(o, focus) {
    state.current = o;
    Array.prototype.forEach.call(view.querySelectorAll('.bar.sel'), function (b) {
      b.classList.remove('sel');
    });
    var out = outs[o], panel = document.getElementById('details');
    panel.textContent = '';
    var h = document.createElement('h3');
    h.textContent = 'Outcome ' + (o + 1) + ': ' + KINDS[out[0]];
    h.className = 'k' + out[0];
    panel.appendChild(h);
    var t = document.createElement('table');
    cell(t, 'Cost', out[1] === null ? 'infinite' : String(out[1]));
    cell(t, 'Errors', out[2].length ? out[2].map(function (x) { return data.errors[x]; })
      .join(' ') : 'none');
    panel.appendChild(t);
    [out[3], out[4]].forEach(function (e) { if (e >= 0) panel.appendChild(entityTable(e)); });
    // An unpaired entity's overlaps on the other side: often the two halves
    // of one boundary error whose entities start apart.
    if (out[5]) {
      var hd = document.createElement('h3');
      hd.textContent = 'Overlaps ' + out[5].length + ' ' +
        (out[0] === 1 ? 'hypothesis' : 'reference') + ' entit' +
        (out[5].length === 1 ? 'y' : 'ies');
      panel.appendChild(hd);
      out[5].forEach(function (e) {
        var en = ents[e], b = document.createElement('button');
        b.type = 'button';
        b.className = 'other';
        b.textContent = data.types[en[4]] + ' \u201c' + text.slice(en[0], en[1]) + '\u201d, ' +
          placeOf(en) + ' (' + KINDS[outs[en[5]][0]] + ')';
        b.addEventListener('click', function () { select(en[5], true); });
        panel.appendChild(b);
      });
    }
    var first = out[3] >= 0 ? out[3] : out[4];
    var sec = sections[sectionAt(ents[first][0])];
    // A jump brings the outcome's part; a click keeps the part in view,
    // even when the outcome's other entity lies in another.
    if (focus) {
      showPart(sec.part);
      sec.el.scrollIntoView({ block: 'center' });
    }
    if (sec.part === part) draw(sec);
    var target = null;
    Array.prototype.forEach.call(view.querySelectorAll('.bar[data-o="' + o + '"]'), function (b) {
      b.classList.add('sel');
      if (!target && b.tabIndex === 0) target = b;
    });
    if (focus && target) {
      target.focus({ preventScroll: true });
      target.scrollIntoView({ block: 'center' });
    }
  }
  view.addEventListener('click', function (ev) {
    var bar = ev.target.closest('.bar');
    if (bar) select(+bar.dataset.o, false);
  });
  function step(dir) {
    var from = state.current >= 0 ? state.current : dir > 0 ? -1 : 0;
    for (var k = 1; k <= outs.length; k++) {
      var o = ((from + dir * k) % outs.length + outs.length) % outs.length;
      if (outs[o][0] !== 3 && shown(o)) { select(o, true); return; }
    }
  }
  document.getElementById('next').addEventListener('click', function () { step(1); });
  document.getElementById('prev').addEventListener('click', function () { step(-1); });
  document.addEventListener('keydown', function (ev) {
    if (ev.altKey || ev.ctrlKey || ev.metaKey) return;
    var tag = ev.target.tagName;
    if (tag === 'INPUT' || tag === 'SELECT' || tag === 'TEXTAREA') return;
    if (ev.key === 'n') { step(1); ev.preventDefault(); }
    if (ev.key === 'p') { step(-1); ev.preventDefault(); }
  });
  // One document on view at a time; the index chooses it.
  function open(n) {
    watcher.disconnect();
    data = JSON.parse(blocks[n].textContent);
    text = data.text;
    ents = data.entities;
    outs = data.outcomes;
    state.current = -1;
    layOut();
    document.getElementById('details').textContent = 'No outcome chosen.';
    if (blocks.length > 1) {
      document.querySelector('#document h2').textContent = 'Document ' + data.files[0];
    }
    Array.prototype.forEach.call(document.querySelectorAll('#index a'), function (a) {
      a.classList.toggle('open', +a.dataset.doc === n);
    });
    refilter();
  }
  Array.prototype.forEach.call(document.querySelectorAll('#index a'), function (a) {
    a.addEventListener('click', function () { open(+a.dataset.doc); });
  });
  // The index sorts by any column; a first click puts the worst first (the
  // order each heading names), a second turns it round. A figure without a
  // value goes last either way.
  var heads = document.querySelectorAll('#index th[data-first]');
  Array.prototype.forEach.call(heads, function (th, col) {
    th.querySelector('button').addEventListener('click', function () {
      var dir = th.getAttribute('aria-sort') === th.dataset.first
        ? (th.dataset.first === 'ascending' ? 'descending' : 'ascending') : th.dataset.first;
      Array.prototype.forEach.call(heads, function (h) { h.removeAttribute('aria-sort'); });
      th.setAttribute('aria-sort', dir);
      var body = document.querySelector('#index tbody');
      var rows = Array.prototype.slice.call(body.rows);
      var key = function (row) {
        var c = row.cells[col];
        return col === 0 ? c.textContent : c.dataset.v === '' ? null : +c.dataset.v;
      };
      rows.sort(function (a, b) {
        var x = key(a), y = key(b);
        if (x === null || y === null) {
          return (x === null) - (y === null) || a.dataset.n - b.dataset.n;
        }
        var d = col === 0 ? (x < y ? -1 : x > y ? 1 : 0) : x - y;
        return (dir === 'ascending' ? d : -d) || a.dataset.n - b.dataset.n;
      });
      rows.forEach(function (row) { body.appendChild(row); });
    });
  });
  if (blocks.length) open(0);
  document.body.dataset.ready = 'true';
})();
)js";
