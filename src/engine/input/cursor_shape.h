#pragma once

// The system cursor that stands for a page's CSS cursor.

#include <string>

namespace engine {

// The system cursor's resource name (an IDC_* value) for a CSS cursor keyword, or nullptr
// for "none". A list with custom images ("url(...), pointer") falls back to its keyword;
// keywords without a system cursor of their own show the arrow.
const wchar_t* SystemCursorName(const std::string& css);

}  // namespace engine
