#include "engine/devtools/input_script.h"

#include "engine/devtools/page_script.h"

namespace engine {

const char kInputBinding[] = "__engineInput";

namespace {

// The cursor is the element's computed one; "auto" is resolved as a browser does for
// links, text fields and text. A context menu is reported once the page's own handlers
// have had the event, unless one of them prevented it.
const char kScript[] = R"JS(
(function () {
  if (window.__engineInputReady) return;
  Object.defineProperty(window, '__engineInputReady', {value: true});
  const send = (o) => { try { window.BINDING(JSON.stringify(o)); } catch (e) {} };
  const textTypes = ['text', 'search', 'url', 'tel', 'email', 'password', 'number'];
  const isTextField = (t) => t.localName === 'textarea' ||
      (t.localName === 'input' && textTypes.includes(t.type));
  const keyword = (c) => c.split(',').pop().trim();
  const overText = (x, y) => {
    const at = document.caretRangeFromPoint && document.caretRangeFromPoint(x, y);
    if (!at || at.startContainer.nodeType !== Node.TEXT_NODE) return false;
    const node = at.startContainer;
    const range = document.createRange();
    for (const offset of [at.startOffset - 1, at.startOffset]) {
      if (offset < 0 || offset >= node.length) continue;
      range.setStart(node, offset);
      range.setEnd(node, offset + 1);
      for (const b of range.getClientRects()) {
        if (x >= b.left && x <= b.right && y >= b.top && y <= b.bottom) return true;
      }
    }
    return false;
  };
  const cursorOf = (e) => {
    const t = e.target;
    if (!(t instanceof Element)) return 'default';
    const style = getComputedStyle(t);
    const c = keyword(style.cursor);
    if (c !== 'auto') return c;
    if (t.closest('a[href]')) return 'pointer';
    if (t.isContentEditable || isTextField(t)) return 'text';
    if (style.userSelect !== 'none' && overText(e.clientX, e.clientY)) return 'text';
    return 'default';
  };
  let shown = '';
  addEventListener('mousemove', (e) => {
    if (!e.isTrusted) return;
    const c = cursorOf(e);
    if (c === shown) return;
    shown = c;
    send({cursor: c});
  }, {capture: true, passive: true});
  // Another frame may show its cursor meanwhile.
  document.addEventListener('mouseout', (e) => { if (!e.relatedTarget) shown = ''; }, true);
  const selectionIn = (t) => {
    if (t && isTextField(t)) {
      try { return t.value.substring(t.selectionStart, t.selectionEnd); } catch (e) { return ''; }
    }
    return String(getSelection());
  };
  // A point of this frame in the top page's coordinates, as far as they can be read.
  const inTop = (x, y) => {
    for (let w = window; w !== w.top; w = w.parent) {
      try {
        const r = w.frameElement.getBoundingClientRect();
        x += r.left;
        y += r.top;
      } catch (err) { break; }
    }
    return {x: Math.round(x), y: Math.round(y)};
  };
  // Where the caret of the focused text is, for the input method's windows.
  let measure;
  const caretRect = () => {
    const t = document.activeElement;
    if (!t || !(t instanceof Element)) return null;
    if (isTextField(t)) {
      const r = t.getBoundingClientRect();
      const s = getComputedStyle(t);
      measure = measure || document.createElement('canvas').getContext('2d');
      measure.font = s.font;
      let before = '';
      try { before = t.value.substring(0, t.selectionStart); } catch (e) {}
      const line = before.split('\n').pop();
      const x = r.left + parseFloat(s.borderLeftWidth) + parseFloat(s.paddingLeft) +
          measure.measureText(line).width - t.scrollLeft;
      const h = parseFloat(s.fontSize) * 1.25;
      const top = t.localName === 'textarea' ?
          r.top + parseFloat(s.borderTopWidth) + parseFloat(s.paddingTop) : r.top + (r.height - h) / 2;
      return {x: Math.min(x, r.right), y: top, h: h};
    }
    if (!t.isContentEditable || !getSelection().rangeCount) return null;
    const range = getSelection().getRangeAt(0).cloneRange();
    range.collapse(false);
    const box = range.getClientRects()[0] || t.getBoundingClientRect();
    return {x: box.left, y: box.top, h: box.height};
  };
  let caretShown = '';
  const reportCaret = () => {
    const c = caretRect();
    if (!c) return;
    const at = inTop(c.x, c.y);
    const caret = {x: at.x, y: at.y, h: Math.round(c.h)};
    const text = JSON.stringify(caret);
    if (text === caretShown) return;
    caretShown = text;
    send({caret: caret});
  };
  for (const type of ['focusin', 'keyup', 'mouseup', 'input', 'compositionstart',
                      'compositionupdate']) {
    document.addEventListener(type, (e) => { if (e.isTrusted) setTimeout(reportCaret, 0); }, true);
  }
  addEventListener('contextmenu', (e) => {
    if (!e.isTrusted) return;
    setTimeout(() => {
      if (e.defaultPrevented) return;
      const t = e.target instanceof Element ? e.target : null;
      const link = t && t.closest('a[href]');
      const at = inTop(e.clientX, e.clientY);
      send({contextMenu: {
        x: at.x, y: at.y, link: link ? link.href : '',
        media: !!(t && t.closest('img,video,audio,canvas')),
        editable: !!t && (t.isContentEditable || isTextField(t)),
        selection: selectionIn(t), frameUrl: location.href, top: window === window.top}});
    }, 0);
  }, true);
})();
)JS";

}  // namespace

std::string InputScript() {
  std::string script = kScript;
  ReplaceAll(script, "BINDING", kInputBinding);
  return script;
}

}  // namespace engine
