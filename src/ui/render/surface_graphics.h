#pragma once

// Include only from .cpp files: it pulls in <windows.h> and <gdiplus.h>.

#include "ui/render/gdiplus_ptr.h"

namespace ui {

// GDI+ graphics that draws straight into the 32-bit DIB section selected into a device
// context, at the context's window origin and inside its clip. Wine's GDI+ draws shapes
// through a device context with GDI, neither anti-aliased nor quickly; drawn into the pixels
// they are both. When the surface cannot be described, the graphics draws on the device
// context itself.
class SurfaceGraphics {
 public:
  explicit SurfaceGraphics(HDC dc);

  SurfaceGraphics(const SurfaceGraphics&) = delete;
  SurfaceGraphics& operator=(const SurfaceGraphics&) = delete;

  // None when GDI+ could not make one.
  Gdiplus::GpGraphics* get() const { return graphics_.get(); }

 private:
  // Destroyed after the graphics that draws into it.
  ImagePtr bitmap_;
  GraphicsPtr graphics_;
};

}  // namespace ui
