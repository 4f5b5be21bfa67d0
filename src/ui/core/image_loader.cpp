#include "ui/core/image_loader.h"

#include <windows.h>
// gdiplus.h needs PROPID, which the lean windows.h leaves out.
#include <objidl.h>

#include <gdiplus.h>

#include <cstring>
#include <vector>

namespace ui {

namespace gp = Gdiplus::DllExports;

namespace {

constexpr PROPID kFrameDelayProperty = 0x5100;  // PropertyTagFrameDelay
constexpr Gdiplus::ARGB kOpaqueBlack = 0xFF000000;

struct BitmapDeleter {
  void operator()(Gdiplus::GpBitmap* bitmap) const {
    if (bitmap) gp::GdipDisposeImage(bitmap);
  }
};
using BitmapPtr = std::unique_ptr<Gdiplus::GpBitmap, BitmapDeleter>;

// The frames of the first frame dimension; 0 when GDI+ cannot say.
UINT CountFrames(Gdiplus::GpBitmap* bitmap) {
  UINT dimensions = 0;
  if (gp::GdipImageGetFrameDimensionsCount(bitmap, &dimensions) != Gdiplus::Ok || dimensions == 0) {
    return 0;
  }
  std::vector<GUID> ids(dimensions);
  if (gp::GdipImageGetFrameDimensionsList(bitmap, ids.data(), dimensions) != Gdiplus::Ok) return 0;
  UINT count = 0;
  if (gp::GdipImageGetFrameCount(bitmap, &ids[0], &count) != Gdiplus::Ok) return 0;
  return count;
}

bool ReadFrameDelays(Gdiplus::GpBitmap* bitmap, std::vector<uint32_t>* delays) {
  UINT size = 0;
  if (gp::GdipGetPropertyItemSize(bitmap, kFrameDelayProperty, &size) != Gdiplus::Ok ||
      size < sizeof(Gdiplus::PropertyItem)) {
    return false;
  }
  // PropertyItem holds a pointer into the same block, so the block must stay aligned.
  std::vector<uint64_t> block((size + sizeof(uint64_t) - 1) / sizeof(uint64_t));
  auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(block.data());
  if (gp::GdipGetPropertyItem(bitmap, kFrameDelayProperty, size, item) != Gdiplus::Ok ||
      !item->value) {
    return false;
  }
  delays->resize(item->length / sizeof(uint32_t));
  if (!delays->empty()) std::memcpy(delays->data(), item->value, delays->size() * sizeof(uint32_t));
  return true;
}

// The palette's own flag tells whether an indexed image has a transparent entry.
bool PaletteHasAlpha(Gdiplus::GpBitmap* bitmap) {
  INT size = 0;
  if (gp::GdipGetImagePaletteSize(bitmap, &size) != Gdiplus::Ok ||
      size < static_cast<INT>(sizeof(Gdiplus::ColorPalette))) {
    return false;
  }
  std::vector<uint32_t> block((size + sizeof(uint32_t) - 1) / sizeof(uint32_t));
  auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(block.data());
  if (gp::GdipGetImagePalette(bitmap, palette, size) != Gdiplus::Ok) return false;
  return (palette->Flags & Gdiplus::PaletteFlagsHasAlpha) != 0;
}

// Whether any pixel of the active frame is less than opaque.
bool FrameHasTranslucentPixel(Gdiplus::GpBitmap* bitmap, int width, int height) {
  Gdiplus::GpRect area(0, 0, width, height);
  Gdiplus::BitmapData data = {};
  if (gp::GdipBitmapLockBits(bitmap, &area, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB,
                             &data) != Gdiplus::Ok) {
    return false;
  }
  bool translucent = false;
  for (UINT y = 0; y < data.Height && !translucent; ++y) {
    const auto* row =
        static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
    for (UINT x = 0; x < data.Width; ++x) {
      if (row[x * 4 + 3] != 255) {
        translucent = true;
        break;
      }
    }
  }
  gp::GdipBitmapUnlockBits(bitmap, &data);
  return translucent;
}

// Makes the native bitmap of every frame; for 32-bit ARGB images also scans the frames for
// translucent pixels. False when a frame cannot be made.
bool MakeFrames(Gdiplus::GpBitmap* bitmap, UINT frameCount, bool scanAlpha, ImageInfo* image) {
  for (UINT i = 0; i < frameCount; ++i) {
    // A single frame is already the active one; selecting it would fail for formats that
    // have no time dimension.
    if (frameCount > 1 &&
        gp::GdipImageSelectActiveFrame(bitmap, &Gdiplus::FrameDimensionTime, i) != Gdiplus::Ok) {
      return false;
    }
    HBITMAP frame = nullptr;
    if (gp::GdipCreateHBITMAPFromBitmap(bitmap, &frame, kOpaqueBlack) != Gdiplus::Ok || !frame) {
      return false;
    }
    image->frames.push_back(frame);
    if (scanAlpha && !image->alpha) {
      image->alpha = FrameHasTranslucentPixel(bitmap, image->width, image->height);
    }
  }
  return true;
}

}  // namespace

std::unique_ptr<ImageInfo> LoadImageFromFile(const std::wstring& path) {
  Gdiplus::GpBitmap* raw = nullptr;
  if (gp::GdipCreateBitmapFromFile(path.c_str(), &raw) != Gdiplus::Ok || !raw) return nullptr;
  BitmapPtr bitmap(raw);

  auto image = std::make_unique<ImageInfo>();
  image->path = path;
  UINT width = 0;
  UINT height = 0;
  gp::GdipGetImageWidth(bitmap.get(), &width);
  gp::GdipGetImageHeight(bitmap.get(), &height);
  image->width = static_cast<int>(width);
  image->height = static_cast<int>(height);

  const UINT frameCount = CountFrames(bitmap.get());
  if (frameCount == 0) return nullptr;
  if (frameCount > 1 && !ReadFrameDelays(bitmap.get(), &image->frameDelays)) return nullptr;

  Gdiplus::PixelFormat format = 0;
  gp::GdipGetImagePixelFormat(bitmap.get(), &format);
  // Opaque 32-bit images are common; scanning them lets painting copy instead of blend.
  const bool scanAlpha = format == PixelFormat32bppARGB;
  if (!scanAlpha) {
    if (format & PixelFormatIndexed) {
      image->alpha = PaletteHasAlpha(bitmap.get());
    } else {
      image->alpha = (format & PixelFormatAlpha) != 0;
    }
  }
  // A partly made image deletes the frames it has when it goes.
  if (!MakeFrames(bitmap.get(), frameCount, scanAlpha, image.get())) return nullptr;
  return image;
}

}  // namespace ui
