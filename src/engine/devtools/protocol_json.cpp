#include "engine/devtools/protocol_json.h"

#include <algorithm>

namespace engine {
namespace {

int HexValue(const std::string& text, size_t at) {
  if (at + 4 > text.size()) return -1;
  int value = 0;
  for (size_t i = at; i < at + 4; ++i) {
    const char c = text[i];
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

// JSON text with every unpaired surrogate escape replaced by U+FFFD: pages may put lone
// surrogates in any string, and a JSON parser would refuse the whole message for one.
std::string PairSurrogates(const std::string& text) {
  if (text.find("\\u") == std::string::npos) return text;
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out += text[i];
      continue;
    }
    if (text[i + 1] != 'u') {
      out += text[i];
      out += text[++i];
      continue;
    }
    const int unit = HexValue(text, i + 2);
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    const int next = high && i + 7 < text.size() && text[i + 6] == '\\' && text[i + 7] == 'u'
                         ? HexValue(text, i + 8)
                         : -1;
    if (high && next >= 0xDC00 && next <= 0xDFFF) {
      out.append(text, i, 12);
      i += 11;
    } else if (high || low) {
      out += "\\ufffd";
      i += 5;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::string Text(const json& j, const char* key) {
  auto it = j.find(key);
  return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool Flag(const json& j, const char* key) {
  auto it = j.find(key);
  return it != j.end() && it->is_boolean() && it->get<bool>();
}

const json& Member(const json& j, const char* key) {
  static const json empty = json::object();
  auto it = j.find(key);
  return it != j.end() && it->is_object() ? *it : empty;
}

bool ReadCoordinate(const json& j, const char* key, int& value) {
  constexpr double kLimit = 1 << 24;
  auto it = j.find(key);
  if (it == j.end() || !it->is_number()) return false;
  value = static_cast<int>(std::max(-kLimit, std::min(kLimit, it->get<double>())));
  return true;
}

json ParseJson(const std::string& text) {
  return json::parse(PairSurrogates(text), nullptr, false);
}

std::string Dump(const json& message) {
  return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace engine
