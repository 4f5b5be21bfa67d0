#include "xml_mutator.h"

#include "runtime/string_util.h"

namespace ui_test {

namespace {

const wchar_t kMarkup[] = {L'<', L'>', L'/', L'"',  L'=', L'&',  L'\0', L'!',
                           L'?', L'-', L' ', L'\'', L';', L'\t', L'\n'};

const wchar_t* const kReferences[] = {L"&amp;", L"&lt;", L"&gt;",  L"&quot;",    L"&apos;",
                                      L"&lt",   L"&",    L"&#60;", L"&unknown;", L"&&amp;"};

bool IsMarkup(wchar_t c) {
  for (wchar_t m : kMarkup) {
    if (c == m) return true;
  }
  return false;
}

bool IsNameStart(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_';
}

}  // namespace

uint64_t XmlMutator::Next() {
  // splitmix64: the same sequence on every platform and compiler.
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint32_t XmlMutator::Below(uint32_t bound) {
  return bound == 0 ? 0 : static_cast<uint32_t>(Next() % bound);
}

std::wstring XmlMutator::Mutate(const std::wstring& sample, std::string* description) {
  std::wstring text = sample;
  const uint32_t count = 1 + Below(3);
  for (uint32_t i = 0; i < count; ++i) MutateOnce(&text, description);
  return text;
}

// The position just after the name of a random start tag, or a random position when the
// text has none.
size_t XmlMutator::StartTagNameEnd(const std::wstring& text) {
  size_t p = text.find(L'<', PositionIn(text));
  if (p == std::wstring::npos) p = text.find(L'<');
  if (p == std::wstring::npos || p + 1 >= text.size() || !IsNameStart(text[p + 1])) {
    return PositionIn(text);
  }
  ++p;
  while (p < text.size() && (IsNameStart(text[p]) || (text[p] >= L'0' && text[p] <= L'9'))) {
    ++p;
  }
  return p;
}

void XmlMutator::MutateOnce(std::wstring* text, std::string* description) {
  switch (Below(11)) {
    case 0: {
      text->resize(PositionIn(*text));
      *description += "cut ";
      break;
    }
    case 1: {
      for (uint32_t n = 1 + Below(4); n > 0 && !text->empty(); --n) {
        wchar_t& unit = (*text)[Below(uint32_t(text->size()))];
        unit = static_cast<wchar_t>(unit ^ (1u << Below(16)));
      }
      *description += "flip ";
      break;
    }
    case 2: {
      for (uint32_t n = 1 + Below(8); n > 0; --n) {
        wchar_t unit = kMarkup[Below(sizeof(kMarkup) / sizeof(kMarkup[0]))];
        if (Below(5) == 0) unit = static_cast<wchar_t>(0xD800 + Below(0x800));  // surrogate
        text->insert(PositionIn(*text), 1, unit);
      }
      *description += "insert ";
      break;
    }
    case 3: {
      for (uint32_t n = 1 + Below(8); n > 0 && !text->empty(); --n) {
        size_t p = Below(uint32_t(text->size()));
        while (p < text->size() && !IsMarkup((*text)[p])) ++p;
        if (p < text->size()) text->erase(p, 1);
      }
      *description += "delete ";
      break;
    }
    case 4: {
      text->insert(StartTagNameEnd(*text), 1 + Below(6000), L'n');
      *description += "long-name ";
      break;
    }
    case 5: {
      size_t p = text->find(L'"', PositionIn(*text));
      p = p == std::wstring::npos ? PositionIn(*text) : p + 1;
      std::wstring value(400 + Below(6000), L'v');
      value.insert(Below(uint32_t(value.size())), L"&lt;&amp;&quot;");
      text->insert(p, value);
      *description += "long-value ";
      break;
    }
    case 6: {
      std::wstring attributes;
      const uint32_t count = 60 + Below(100);
      for (uint32_t i = 0; i < count; ++i) {
        const uint32_t name = Below(4) == 0 ? Below(8) : i;  // some repeated names
        attributes += L" a" + std::to_wstring(name) + L"=\"" + std::to_wstring(i) + L"\"";
      }
      text->insert(StartTagNameEnd(*text), attributes);
      *description += "many-attributes ";
      break;
    }
    case 7: {
      const uint32_t depth = 100 + Below(6000);
      std::wstring nest;
      nest.reserve(depth * 8);
      for (uint32_t i = 0; i < depth; ++i) nest += Below(8) == 0 ? L"<d x=\"1\">" : L"<d>";
      if (Below(2) == 0) {
        for (uint32_t i = 0; i < depth; ++i) nest += L"</d>";
      }
      text->insert(PositionIn(*text), nest);
      *description += "deep ";
      break;
    }
    case 8: {
      const size_t from = PositionIn(*text);
      const size_t length = Below(uint32_t(text->size() - from) + 1);
      const std::wstring slice = text->substr(from, length);
      text->insert(PositionIn(*text), slice);
      *description += "splice ";
      break;
    }
    case 9: {
      for (uint32_t n = 1 + Below(4); n > 0; --n) {
        text->insert(PositionIn(*text), kReferences[Below(10)]);
      }
      *description += "references ";
      break;
    }
    default: {
      const size_t from = PositionIn(*text);
      text->erase(from, Below(64));
      *description += "erase ";
      break;
    }
  }
}

std::string XmlMutator::MutateBytes(const std::wstring& text, std::string* description) {
  std::string bytes = kbase::WideToUtf8(text);
  switch (Below(4)) {
    case 0:
      bytes.insert(0, "\xEF\xBB\xBF");
      *description += "bom ";
      break;
    case 1:
      for (uint32_t n = 1 + Below(4); n > 0 && !bytes.empty(); --n) {
        bytes[Below(uint32_t(bytes.size()))] = static_cast<char>(0x80 + Below(0x80));
      }
      *description += "stray-bytes ";
      break;
    case 2:
      bytes.resize(Below(uint32_t(bytes.size()) + 1));
      *description += "byte-cut ";
      break;
    default:
      break;
  }
  return bytes;
}

}  // namespace ui_test
