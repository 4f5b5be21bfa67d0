#include "render_test_util.h"

#include <cstring>

#include "ui/render/render_context_gdiplus.h"

namespace render_test {

namespace {

std::uint8_t* PixelPointer(ui::IRenderContext& context, int x, int row) {
  auto* bits = static_cast<std::uint8_t*>(context.GetPixelBits());
  return bits + (static_cast<size_t>(row) * context.GetWidth() + x) * 4;
}

}  // namespace

Pixel PixelAt(ui::IRenderContext& context, int x, int y, bool bottomUp) {
  const int row = bottomUp ? context.GetHeight() - 1 - y : y;
  const std::uint8_t* p = PixelPointer(context, x, row);
  return Pixel{p[0], p[1], p[2], p[3]};
}

void SetPixel(ui::IRenderContext& context, int x, int y, Pixel pixel) {
  std::memcpy(PixelPointer(context, x, y), &pixel, 4);
}

void FillSurface(ui::IRenderContext& context, Pixel pixel) {
  for (int y = 0; y < context.GetHeight(); ++y) {
    for (int x = 0; x < context.GetWidth(); ++x) SetPixel(context, x, y, pixel);
  }
}

ui::UiRect BoundsWhere(ui::IRenderContext& context, const std::function<bool(Pixel)>& test) {
  ui::UiRect bounds{context.GetWidth(), context.GetHeight(), 0, 0};
  for (int y = 0; y < context.GetHeight(); ++y) {
    for (int x = 0; x < context.GetWidth(); ++x) {
      if (!test(PixelAt(context, x, y))) continue;
      if (x < bounds.left) bounds.left = x;
      if (y < bounds.top) bounds.top = y;
      if (x + 1 > bounds.right) bounds.right = x + 1;
      if (y + 1 > bounds.bottom) bounds.bottom = y + 1;
    }
  }
  return bounds.IsEmpty() ? ui::UiRect{} : bounds;
}

int CountWhere(ui::IRenderContext& context, const ui::UiRect& area,
               const std::function<bool(Pixel)>& test) {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) count += test(PixelAt(context, x, y)) ? 1 : 0;
  }
  return count;
}

std::unique_ptr<ui::IRenderContext> MakeContext(int width, int height) {
  auto context = std::make_unique<ui::RenderContext_GdiPlus>();
  context->Resize(width, height, true);
  return context;
}

}  // namespace render_test
