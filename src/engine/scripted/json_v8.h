#pragma once

#include <string>

#include "engine/cef/cef_v8.h"

namespace engine {

// The value JSON text stands for, made of local values; null with `error` set when the text
// is not JSON (the message JSON.parse would throw).
CefRefPtr<CefV8Value> JsonToV8(const std::string& text, CefString& error);

// JSON.parse, as a function value for a page's global object.
CefRefPtr<CefV8Value> MakeJsonParseFunction();

}  // namespace engine
