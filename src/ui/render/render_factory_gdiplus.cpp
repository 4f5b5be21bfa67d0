#include "ui/render/render_factory_gdiplus.h"

#include "ui/render/gdi_bitmap.h"
#include "ui/render/render_context_gdiplus.h"

namespace ui {

std::unique_ptr<IRenderContext> RenderFactory_GdiPlus::CreateRenderContext() {
  return std::make_unique<RenderContext_GdiPlus>();
}

std::unique_ptr<IBitmap> RenderFactory_GdiPlus::CreateBitmap() {
  return std::make_unique<GdiBitmap>();
}

}  // namespace ui
