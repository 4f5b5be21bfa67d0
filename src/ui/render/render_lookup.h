#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "ui/render/render_types.h"

namespace ui {

// A registered font as the render context needs it. faceName stays valid while the font is
// registered.
struct RenderFont {
  HFONT handle = nullptr;
  std::wstring_view faceName;
  int size = 0;
};

// The render context's way to the UI registry's font and colour tables and its DPI scaler,
// which live in a library above it. The registry installs its lookups at start-up; until
// then fonts are unknown (text uses the dc's current font), colours are transparent and
// rectangles are not scaled.
class RenderLookup {
 public:
  // An empty id stands for the default font. Returns false for an unknown id.
  using FontFunction = std::function<bool(const std::wstring& id, RenderFont* font)>;
  using ColorFunction = std::function<UiColor(const std::wstring& name)>;
  using ScaleRectFunction = std::function<UiRect(const UiRect& rect)>;

  // An empty function restores the default behaviour.
  static void SetFontLookup(FontFunction lookup);
  static void SetColorLookup(ColorFunction lookup);
  static void SetRectScaler(ScaleRectFunction scaler);

  static bool FindFont(const std::wstring& id, RenderFont* font);
  static UiColor FindColor(const std::wstring& name);
  static UiRect ScaleRect(const UiRect& rect);
};

}  // namespace ui
