#pragma once

#include "ui/render/i_render_factory.h"

namespace ui {

// Makes GDI/GDI+ render contexts and DIB bitmaps. Creating the factory needs no GDI+; the
// contexts it makes draw only once GDI+ has started.
class RenderFactory_GdiPlus : public IRenderFactory {
 public:
  std::unique_ptr<IRenderContext> CreateRenderContext() override;
  std::unique_ptr<IBitmap> CreateBitmap() override;
};

}  // namespace ui
