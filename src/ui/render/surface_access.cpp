#include "ui/render/surface_access.h"

#include <windows.h>

namespace ui {

namespace {

// Images in use at once; beyond it the oldest is found out again when it comes back.
constexpr size_t kKnownImages = 64;

}  // namespace

SurfaceAccess::SurfaceAccess()
    : region_(::CreateRectRgn(0, 0, 0, 0)), probe_(::CreateCompatibleDC(nullptr)) {}

SurfaceAccess::~SurfaceAccess() {
  if (region_) ::DeleteObject(region_);
  if (probe_) ::DeleteDC(probe_);
}

bool SurfaceAccess::ReadOrigin(HDC dc, UiPoint* origin) {
  POINT window = {};
  POINT viewport = {};
  if (::GetMapMode(dc) != MM_TEXT || ::GetGraphicsMode(dc) != GM_COMPATIBLE ||
      !::GetViewportOrgEx(dc, &viewport) || viewport.x != 0 || viewport.y != 0 ||
      !::GetWindowOrgEx(dc, &window)) {
    return false;
  }
  *origin = UiPoint{window.x, window.y};
  return true;
}

bool SurfaceAccess::ReadDestination(HDC dc, PixelSurface* surface) {
  UiPoint origin;
  if (!region_ || !ReadOrigin(dc, &origin)) return false;
  const int clipped = ::GetClipRgn(dc, region_);
  if (clipped < 0) return false;
  UiRect clip{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  if (clipped == 1) {
    RECT box = {};
    const int kind = ::GetRgnBox(region_, &box);
    if (kind == NULLREGION) {
      clip = UiRect{};
    } else if (kind == SIMPLEREGION) {
      clip = UiRect{box.left, box.top, box.right, box.bottom};
    } else {
      return false;
    }
  }
  surface->SetOrigin(origin);
  surface->SetClip(clip);
  return true;
}

bool SurfaceAccess::Describe(HBITMAP bitmap, PixelImage* image) {
  DIBSECTION section = {};
  if (!bitmap || ::GetObjectW(bitmap, sizeof(section), &section) != sizeof(section)) return false;
  const BITMAPINFOHEADER& header = section.dsBmih;
  if (!section.dsBm.bmBits || header.biBitCount != 32 || header.biCompression != BI_RGB ||
      section.dsBm.bmWidth <= 0 || section.dsBm.bmHeight <= 0) {
    return false;
  }
  image->bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
  image->width = section.dsBm.bmWidth;
  image->height = section.dsBm.bmHeight;
  image->topDown = true;
  return true;
}

bool SurfaceAccess::FindTopDown(HDC dc, const UiPoint& origin, PixelImage* image) {
  // Two different marks in the first and the last row of memory, read back through the
  // platform at the top-left pixel; the pixels are restored at once.
  auto* first = const_cast<uint32_t*>(image->bits);
  uint32_t* last = first + static_cast<size_t>(image->height - 1) * image->width;
  const uint32_t savedFirst = *first;
  const uint32_t savedLast = *last;
  ::GdiFlush();
  *first = 0x00010203u;
  *last = 0x00040506u;
  const COLORREF top = ::GetPixel(dc, origin.x, origin.y);
  *first = savedFirst;
  *last = savedLast;
  if (top == RGB(0x01, 0x02, 0x03)) {
    image->topDown = true;
  } else if (top == RGB(0x04, 0x05, 0x06)) {
    image->topDown = false;
  } else {
    return false;
  }
  return true;
}

bool SurfaceAccess::FindOrientation(HBITMAP bitmap, HDC selectedIn, const UiPoint& origin,
                                    PixelImage* image) {
  if (image->height == 1) return true;
  for (const KnownImage& known : known_) {
    if (known.handle == bitmap && known.bits == image->bits && known.width == image->width &&
        known.height == image->height) {
      image->topDown = known.topDown;
      return true;
    }
  }
  bool found = false;
  if (selectedIn) {
    found = FindTopDown(selectedIn, origin, image);
  } else if (probe_) {
    HGDIOBJ previous = ::SelectObject(probe_, bitmap);
    if (previous) {
      found = FindTopDown(probe_, UiPoint{}, image);
      ::SelectObject(probe_, previous);
    }
  }
  if (!found) return false;
  if (known_.size() >= kKnownImages) known_.erase(known_.begin());
  known_.push_back(KnownImage{bitmap, image->bits, image->width, image->height, image->topDown});
  return true;
}

bool SurfaceAccess::ReadImage(HBITMAP bitmap, PixelImage* image) {
  return Describe(bitmap, image) && FindOrientation(bitmap, nullptr, UiPoint{}, image);
}

bool SurfaceAccess::ReadSelectedImage(HDC dc, PixelImage* image, UiPoint* origin) {
  if (!dc || !ReadOrigin(dc, origin)) return false;
  HBITMAP bitmap = static_cast<HBITMAP>(::GetCurrentObject(dc, OBJ_BITMAP));
  return Describe(bitmap, image) && FindOrientation(bitmap, dc, *origin, image);
}

}  // namespace ui
