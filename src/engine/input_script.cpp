#include "engine/input_script.h"

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
  addEventListener('contextmenu', (e) => {
    if (!e.isTrusted) return;
    setTimeout(() => {
      if (e.defaultPrevented) return;
      const t = e.target instanceof Element ? e.target : null;
      const link = t && t.closest('a[href]');
      let x = e.clientX, y = e.clientY;
      for (let w = window; w !== w.top; w = w.parent) {
        try {
          const r = w.frameElement.getBoundingClientRect();
          x += r.left;
          y += r.top;
        } catch (err) { break; }
      }
      send({contextMenu: {
        x: Math.round(x), y: Math.round(y), link: link ? link.href : '',
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
  const std::string placeholder = "BINDING";
  for (size_t at = script.find(placeholder); at != std::string::npos;
       at = script.find(placeholder, at)) {
    script.replace(at, placeholder.size(), kInputBinding);
  }
  return script;
}

}  // namespace engine
