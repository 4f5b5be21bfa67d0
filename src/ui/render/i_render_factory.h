#pragma once

#include <memory>

namespace ui {

class IBitmap;
class IRenderContext;

// The one place render contexts and bitmaps are made, so the drawing back end can be
// exchanged as a whole.
class IRenderFactory {
 public:
  virtual ~IRenderFactory() = default;

  // A context without a surface yet; the caller sizes it with Resize.
  virtual std::unique_ptr<IRenderContext> CreateRenderContext() = 0;
  // An empty bitmap; the caller gives it pixels with Create.
  virtual std::unique_ptr<IBitmap> CreateBitmap() = 0;
};

}  // namespace ui
