#pragma once

#include <string>

namespace ui {

// A decoded image file, shared by every control that shows it and kept in the image cache
// while any of them holds it.
struct ImageInfo {
  // The normalised full path it was loaded from; its key in the image cache.
  std::wstring path;
  // Registered in the image cache: its last holder's release removes the entry.
  bool cached = false;
};

}  // namespace ui
