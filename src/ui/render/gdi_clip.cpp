#include "ui/render/gdi_clip.h"

#include <windows.h>

namespace ui {

namespace {

// Regions are in device coordinates, clip rectangles in logical ones. The platform orders
// an inverted rectangle's corners; an empty rectangle must clip everything away instead.
UiRect ToDevice(HDC dc, const UiRect& rect) {
  if (rect.IsEmpty()) return UiRect{};
  POINT origin = {};
  ::GetWindowOrgEx(dc, &origin);
  UiRect device = rect;
  device.Offset(-origin.x, -origin.y);
  return device;
}

void PushRegion(HDC dc, HRGN region) {
  ::SaveDC(dc);
  if (region) {
    ::ExtSelectClipRgn(dc, region, RGN_AND);
    ::DeleteObject(region);
  }
}

}  // namespace

void GdiClip::PushClip(HDC dc, const UiRect& rect) {
  if (!dc) return;
  const UiRect r = ToDevice(dc, rect);
  PushRegion(dc, ::CreateRectRgn(r.left, r.top, r.right, r.bottom));
}

void GdiClip::PushRoundClip(HDC dc, const UiRect& rect, int ellipseWidth, int ellipseHeight) {
  if (!dc) return;
  const UiRect r = ToDevice(dc, rect);
  if (r.IsEmpty()) {
    PushRegion(dc, ::CreateRectRgn(0, 0, 0, 0));
    return;
  }
  PushRegion(dc, ::CreateRoundRectRgn(r.left, r.top, r.right + 1, r.bottom + 1, ellipseWidth,
                                      ellipseHeight));
}

void GdiClip::PopClip(HDC dc) {
  if (!dc) return;
  ::RestoreDC(dc, -1);
}

}  // namespace ui
