#pragma once

// Reading the browser's protocol messages: fields of the expected type or empty values,
// never an exception, whatever a page or the browser put in them.

#include <nlohmann/json.hpp>
#include <string>

namespace engine {

using nlohmann::json;

// A string field, or empty.
std::string Text(const json& j, const char* key);
// A boolean field that is true; false when missing or of another type.
bool Flag(const json& j, const char* key);
// An object field, or an empty object.
const json& Member(const json& j, const char* key);
// A coordinate a page reports, which may be any number: kept within a range a window can
// use, so that the conversion and the sums made with it stay defined. False when the page
// sent no number.
bool ReadCoordinate(const json& j, const char* key, int& value);
// The parsed text, or a discarded value; lone surrogate escapes are read as U+FFFD.
json ParseJson(const std::string& text);
// The message as the browser takes it; text that is not UTF-8 is replaced, not thrown.
std::string Dump(const json& message);

// Runs protocol handling; a message of the wrong shape is dropped, never thrown out.
template <class F>
void Guarded(F&& f) {
  try {
    f();
  } catch (const std::exception&) {
  }
}

}  // namespace engine
