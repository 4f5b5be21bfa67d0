#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>

#include "ui/render/i_render_context.h"
#include "ui/render/render_lookup.h"

namespace ui {
inline void PrintTo(const UiRect& r, std::ostream* out) {
  *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
inline void PrintTo(const UiPoint& p, std::ostream* out) {
  *out << "(" << p.x << ", " << p.y << ")";
}
}  // namespace ui

namespace render_test {

struct Pixel {
  std::uint8_t b = 0;
  std::uint8_t g = 0;
  std::uint8_t r = 0;
  std::uint8_t a = 0;
};

inline bool operator==(const Pixel& x, const Pixel& y) {
  return x.b == y.b && x.g == y.g && x.r == y.r && x.a == y.a;
}
inline bool operator!=(const Pixel& x, const Pixel& y) {
  return !(x == y);
}
inline std::ostream& operator<<(std::ostream& out, const Pixel& p) {
  return out << "(b " << int(p.b) << ", g " << int(p.g) << ", r " << int(p.r) << ", a " << int(p.a)
             << ")";
}

// The pixel of a top-down surface (or of the visual row y of a bottom-up one when
// bottomUp is given).
Pixel PixelAt(ui::IRenderContext& context, int x, int y, bool bottomUp = false);
void SetPixel(ui::IRenderContext& context, int x, int y, Pixel pixel);
// Fills the whole surface with one pixel value, bypassing the drawing operations.
void FillSurface(ui::IRenderContext& context, Pixel pixel);

// The smallest rectangle holding every pixel for which test is true; empty when none.
ui::UiRect BoundsWhere(ui::IRenderContext& context, const std::function<bool(Pixel)>& test);
int CountWhere(ui::IRenderContext& context, const ui::UiRect& area,
               const std::function<bool(Pixel)>& test);

std::unique_ptr<ui::IRenderContext> MakeContext(int width, int height);

// An opaque colour as stored on the surface.
inline Pixel Opaque(ui::UiColor color) {
  return Pixel{static_cast<std::uint8_t>(color), static_cast<std::uint8_t>(color >> 8),
               static_cast<std::uint8_t>(color >> 16), 255};
}

// Puts the render lookups back to their defaults when the test ends.
class LookupReset {
 public:
  LookupReset() = default;
  ~LookupReset() {
    ui::RenderLookup::SetFontLookup(nullptr);
    ui::RenderLookup::SetColorLookup(nullptr);
    ui::RenderLookup::SetRectScaler(nullptr);
  }
  LookupReset(const LookupReset&) = delete;
  LookupReset& operator=(const LookupReset&) = delete;
};

}  // namespace render_test
