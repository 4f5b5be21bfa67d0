#include "ui/render/surface_graphics.h"

#include <cstdint>

#include "ui/render/pixel_surface.h"
#include "ui/render/surface_access.h"

namespace ui {

namespace gp = Gdiplus::DllExports;

namespace {

// Remembers which way up the surfaces lie, so that each is probed once.
SurfaceAccess& Access() {
  thread_local SurfaceAccess access;
  return access;
}

// The bitmap over the pixels of the DIB section selected into dc, and the dc's origin.
Gdiplus::GpBitmap* WrapSelectedImage(HDC dc, UiPoint* origin) {
  PixelImage image;
  if (!Access().ReadSelectedImage(dc, &image, origin)) return nullptr;
  const INT stride = image.width * 4;
  auto* first = reinterpret_cast<BYTE*>(const_cast<uint32_t*>(image.Row(0)));
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (gp::GdipCreateBitmapFromScan0(image.width, image.height, image.topDown ? stride : -stride,
                                    PixelFormat32bppPARGB, first, &bitmap) != Gdiplus::Ok) {
    if (bitmap) gp::GdipDisposeImage(bitmap);
    return nullptr;
  }
  return bitmap;
}

}  // namespace

SurfaceGraphics::SurfaceGraphics(HDC dc) {
  UiPoint origin;
  Gdiplus::GpBitmap* bitmap = WrapSelectedImage(dc, &origin);
  bitmap_.reset(bitmap);
  Gdiplus::GpGraphics* graphics = nullptr;
  if (bitmap && gp::GdipGetImageGraphicsContext(bitmap, &graphics) == Gdiplus::Ok) {
    graphics_.reset(graphics);
    // GDI may still hold drawing for these pixels in its batch.
    ::GdiFlush();
    HRGN clip = ::CreateRectRgn(0, 0, 0, 0);
    if (clip && ::GetClipRgn(dc, clip) == 1) {
      // The region is in device pixels, as the world is before the origin moves it.
      gp::GdipSetClipHrgn(graphics, clip, Gdiplus::CombineModeReplace);
    }
    if (clip) ::DeleteObject(clip);
    gp::GdipTranslateWorldTransform(graphics, static_cast<Gdiplus::REAL>(-origin.x),
                                    static_cast<Gdiplus::REAL>(-origin.y),
                                    Gdiplus::MatrixOrderAppend);
    return;
  }
  if (graphics) gp::GdipDeleteGraphics(graphics);
  bitmap_.reset();
  graphics = nullptr;
  gp::GdipCreateFromHDC(dc, &graphics);
  graphics_.reset(graphics);
}

}  // namespace ui
