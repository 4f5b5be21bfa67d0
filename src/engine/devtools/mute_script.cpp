#include "engine/devtools/mute_script.h"

namespace engine {
namespace {

// The page's own wishes are kept: an element the page muted, or an audio context it
// suspended, stays so when the engine unmutes. While muted, the page cannot unmute an
// element, and a context it resumes waits for the unmute.
const char kMuteScript[] = R"JS(
(function () {
  const engine = window.__engine;
  if (!engine || engine.setMuted) return;
  let muted = false;

  const Media = window.HTMLMediaElement;
  const own = Media && Object.getOwnPropertyDescriptor(Media.prototype, 'muted');
  const wishes = new WeakMap();
  // Elements muted outside the document, to be given back when unmuted.
  let outside = new Set();
  const apply = (e) => {
    if (!wishes.has(e)) wishes.set(e, own.get.call(e));
    own.set.call(e, muted || wishes.get(e));
    if (muted && !e.isConnected) outside.add(new WeakRef(e));
  };
  const applyWithin = (node) => {
    if (node instanceof Media) apply(node);
    if (node.querySelectorAll) node.querySelectorAll('audio,video').forEach(apply);
  };
  const added = new MutationObserver((records) => {
    for (const r of records) r.addedNodes.forEach(applyWithin);
  });
  if (own) {
    Object.defineProperty(Media.prototype, 'muted', {
      configurable: true,
      enumerable: own.enumerable,
      get() { return own.get.call(this); },
      set(v) { wishes.set(this, !!v); own.set.call(this, !!v || muted); }
    });
    const play = Media.prototype.play;
    Media.prototype.play = function () {
      if (muted) apply(this);
      return play.apply(this, arguments);
    };
  }

  const contexts = new Set();
  const wantsRunning = new WeakMap();
  let resumes = [];
  const Context = window.AudioContext;
  const suspend = Context && Context.prototype.suspend;
  const resume = Context && Context.prototype.resume;
  if (Context) {
    Context.prototype.resume = function () {
      wantsRunning.set(this, true);
      if (!muted || !contexts.has(this)) return resume.call(this);
      return new Promise((done, failed) => resumes.push({context: this, done, failed}));
    };
    Context.prototype.suspend = function () {
      wantsRunning.set(this, false);
      return suspend.call(this);
    };
    const Tracked = new Proxy(Context, {
      construct(target, args, newTarget) {
        const context = Reflect.construct(target, args, newTarget);
        contexts.add(context);
        wantsRunning.set(context, true);
        context.addEventListener('statechange', () => {
          if (context.state === 'closed') contexts.delete(context);
        });
        if (muted) suspend.call(context).catch(() => {});
        return context;
      }
    });
    if (window.webkitAudioContext === Context) window.webkitAudioContext = Tracked;
    window.AudioContext = Tracked;
  }

  engine.setMuted = (m) => {
    muted = !!m;
    if (own) {
      document.querySelectorAll('audio,video').forEach(apply);
      if (!muted) {
        const left = outside;
        outside = new Set();
        left.forEach((r) => { const e = r.deref(); if (e) apply(e); });
      }
      if (muted) {
        added.observe(document, {childList: true, subtree: true});
      } else {
        added.disconnect();
      }
    }
    for (const c of contexts) {
      if (c.state === 'closed') continue;
      if (muted) {
        suspend.call(c).catch(() => {});
      } else if (wantsRunning.get(c)) {
        resume.call(c).catch(() => {});
      }
    }
    if (!muted) {
      const waiting = resumes;
      resumes = [];
      waiting.forEach((w) => {
        if (wantsRunning.get(w.context)) {
          resume.call(w.context).then(w.done, w.failed);
        } else {
          w.done();
        }
      });
    }
    for (let i = 0; i < window.frames.length; ++i) {
      try { window.frames[i].__engine.setMuted(muted); } catch (e) {}
    }
  };
})();
)JS";

}  // namespace

std::string MuteScript() {
  return kMuteScript;
}

std::string MuteCall(bool mute) {
  return std::string("window.__engine && window.__engine.setMuted && window.__engine.setMuted(") +
         (mute ? "true" : "false") + ")";
}

}  // namespace engine
