#pragma once

#include <vector>

#include "ui/render/pixel_surface.h"
#include "ui/render/render_types.h"

struct HRGN__;
typedef HRGN__* HRGN;

namespace ui {

// Reads from device contexts what drawing straight into memory needs to know: the origin
// and the clip of the destination, and the pixels of 32-bit DIB sections used as sources.
// Anything it cannot describe exactly (a clip that is not one rectangle, a mapping other
// than the window origin, a source that is no 32-bit DIB section) is refused, and the
// caller draws through the platform instead.
class SurfaceAccess {
 public:
  SurfaceAccess();
  ~SurfaceAccess();
  SurfaceAccess(const SurfaceAccess&) = delete;
  SurfaceAccess& operator=(const SurfaceAccess&) = delete;

  // Gives surface the dc's origin and clip; false when they cannot be expressed that way.
  bool ReadDestination(HDC dc, PixelSurface* surface);

  bool ReadImage(HBITMAP bitmap, PixelImage* image);
  // The DIB section selected into dc, and the dc's origin.
  bool ReadSelectedImage(HDC dc, PixelImage* image, UiPoint* origin);

 private:
  // A DIB section's description does not tell which way up its rows lie in memory, so
  // that is found out once per bitmap and remembered.
  struct KnownImage {
    HBITMAP handle;
    const void* bits;
    int width;
    int height;
    bool topDown;
  };

  static bool ReadOrigin(HDC dc, UiPoint* origin);
  static bool Describe(HBITMAP bitmap, PixelImage* image);
  // With the bitmap selected into dc, whose origin is given: which row the top one is.
  static bool FindTopDown(HDC dc, const UiPoint& origin, PixelImage* image);
  bool FindOrientation(HBITMAP bitmap, HDC selectedIn, const UiPoint& origin, PixelImage* image);

  HRGN region_ = nullptr;
  HDC probe_ = nullptr;
  std::vector<KnownImage> known_;
};

}  // namespace ui
