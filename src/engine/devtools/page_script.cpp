#include "engine/devtools/page_script.h"

#include <cctype>

#include "engine/devtools/mute_script.h"

namespace engine {

const char kNativeCallPath[] = "/.engine-native-call";
const char kNativeCallFallbackOrigin[] = "https://native.invalid";
const char kNotifyBinding[] = "__engineNotify";

namespace {

const char kHelper[] = R"JS(
(function () {
  if (window.__engine) return;
  // The page may replace these globals later; the helper keeps the originals.
  const Request = XMLHttpRequest;
  const toJson = JSON.stringify;
  const fromJson = JSON.parse;
  const map = Array.prototype.map;
  const origin = /^https?:\/\//.test(location.origin) ? location.origin : 'FALLBACK_ORIGIN';
  const address = origin + 'NATIVE_PATH';
  const refs = new Map();
  const results = new Map();
  let next = 1;
  const keep = (v) => { const id = next++; refs.set(id, v); return id; };
  const encode = (v) => {
    if (v === undefined) return {t: 'u'};
    if (v === null) return {t: 'n'};
    switch (typeof v) {
      case 'boolean': return {t: 'b', v: v};
      case 'number': return {t: 'd', v: v};
      case 'string': return {t: 's', v: v};
      case 'function': return {t: 'f', id: keep(v)};
      default: return {t: Array.isArray(v) ? 'a' : 'o', id: keep(v)};
    }
  };
  const walk = (x) => {
    let v = x.root === 'kept' ? refs.get(x.slot) :
            x.root === 'result' ? results.get(x.slot) : globalThis;
    const keys = x.keys || [];
    for (let i = 0; i < keys.length; ++i) v = v === undefined || v === null ? undefined : v[keys[i]];
    return v;
  };
  const decode = (x) => {
    if (!x) return undefined;
    switch (x.t) {
      case 'n': return null;
      case 'b': case 'd': case 's': return x.v;
      case 'p': return walk(x);
      default: return undefined;
    }
  };
  const native = (ext, name, args) => {
    const xhr = new Request();
    xhr.open('POST', address, false);
    xhr.send(toJson({ext: ext, name: name, args: map.call(args, encode)}));
    let answer;
    try { answer = fromJson(xhr.responseText); } catch (e) { answer = null; }
    if (!answer) throw new Error('The native function ' + name + ' did not answer.');
    if (typeof answer.exception === 'string') throw new Error(answer.exception);
    return decode(answer.value);
  };
  Object.defineProperty(window, '__engine', {
    value: {refs: refs, results: results, native: native},
    enumerable: false
  });
  if (window !== window.top) return;
  let last;
  const report = () => {
    const t = document.title || location.href;
    if (t === last) return;
    last = t;
    try { window.BINDING(JSON.stringify({title: t})); } catch (e) {}
  };
  new MutationObserver(report).observe(document, {subtree: true, childList: true, characterData: true});
  document.addEventListener('DOMContentLoaded', report);
  window.addEventListener('load', report);
})();
)JS";

std::string JsString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof(buffer), "\\u%04x", c);
      out += buffer;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

std::string NativeCallPattern() {
  return std::string("*://*") + kNativeCallPath;
}

// The pattern also matches addresses that merely end in the path, and documents; only a
// script's request that posts to the path itself is a call.
bool IsNativeCall(const std::string& resourceType, const std::string& method,
                  const std::string& url) {
  if (resourceType != "XHR" || method != "POST") return false;
  const size_t scheme = url.find("://");
  if (scheme == std::string::npos) return false;
  const std::string protocol = url.substr(0, scheme);
  if (protocol != "http" && protocol != "https") return false;
  const size_t path = url.find('/', scheme + 3);
  return path != std::string::npos && url.compare(path, std::string::npos, kNativeCallPath) == 0;
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + with.size())) {
    text.replace(at, what.size(), with);
  }
}

std::string RewriteNativeDeclarations(const std::string& extensionName, const std::string& code) {
  static const std::string kDeclaration = "native function";
  std::string out;
  size_t copied = 0;
  for (size_t at = code.find(kDeclaration); at != std::string::npos;
       at = code.find(kDeclaration, at + 1)) {
    size_t i = at + kDeclaration.size();
    if (i >= code.size() || !std::isspace(static_cast<unsigned char>(code[i]))) continue;
    while (i < code.size() && std::isspace(static_cast<unsigned char>(code[i]))) ++i;
    const size_t nameStart = i;
    while (i < code.size() && (std::isalnum(static_cast<unsigned char>(code[i])) ||
                               code[i] == '_' || code[i] == '$')) {
      ++i;
    }
    const std::string name = code.substr(nameStart, i - nameStart);
    const size_t close = code.find(')', i);
    if (name.empty() || close == std::string::npos) continue;
    size_t end = close + 1;
    while (end < code.size() && code[end] == ' ') ++end;
    if (end < code.size() && code[end] == ';') ++end;
    out += code.substr(copied, at - copied);
    out += "function " + name + "() { return window.__engine.native(" + JsString(extensionName) +
           ", " + JsString(name) + ", arguments); }";
    copied = end;
    at = end - 1;
  }
  return out + code.substr(copied);
}

std::string PageScript(const std::vector<Extension>& extensions) {
  std::string script = kHelper;
  ReplaceAll(script, "FALLBACK_ORIGIN", kNativeCallFallbackOrigin);
  ReplaceAll(script, "NATIVE_PATH", kNativeCallPath);
  ReplaceAll(script, "BINDING", kNotifyBinding);
  script += MuteScript();
  for (const Extension& e : extensions) {
    script += "\n" + RewriteNativeDeclarations(e.name, e.code) + "\n";
  }
  return script;
}

}  // namespace engine
