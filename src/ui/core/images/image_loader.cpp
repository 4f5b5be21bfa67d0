#include "ui/core/images/image_loader.h"

#include <windows.h>
// gdiplus.h needs PROPID, which the lean windows.h leaves out.
#include <objidl.h>

#include <gdiplus.h>

#include <cstring>
#include <vector>

#include "ui/core/files/file_handle.h"
#include "ui/core/images/image_check.h"

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

struct StreamReleaser {
  void operator()(IStream* stream) const {
    if (stream) stream->Release();
  }
};
using StreamPtr = std::unique_ptr<IStream, StreamReleaser>;

// Global memory holding a file, freed when it goes unless a stream has taken it over.
class GlobalBytes {
 public:
  explicit GlobalBytes(size_t size) : memory_(GlobalAlloc(GMEM_MOVEABLE, size)) {}
  ~GlobalBytes() {
    if (memory_) GlobalFree(memory_);
  }
  GlobalBytes(const GlobalBytes&) = delete;
  GlobalBytes& operator=(const GlobalBytes&) = delete;

  HGLOBAL Get() const { return memory_; }
  HGLOBAL Release() {
    HGLOBAL memory = memory_;
    memory_ = nullptr;
    return memory;
  }

 private:
  HGLOBAL memory_;
};

// Reads the file into the memory and checks it there. False when it cannot be read or
// promises more than the limits allow.
bool ReadAndCheck(HANDLE file, size_t size, HGLOBAL memory) {
  auto* bytes = static_cast<uint8_t*>(GlobalLock(memory));
  if (!bytes) return false;
  DWORD read = 0;
  const bool whole =
      ReadFile(file, bytes, static_cast<DWORD>(size), &read, nullptr) && read == size;
  const bool fits = whole && CheckImageBytes(bytes, size) == ImageCheck::kOk;
  GlobalUnlock(memory);
  return fits;
}

// A stream over the file's bytes once they pass the checks. The decoder reads these very
// bytes, so a file changed on disk meanwhile cannot slip past the checks.
StreamPtr OpenCheckedImage(const std::wstring& path) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER fileSize = {};
  if (!file.IsOpen() || !GetFileSizeEx(file.Get(), &fileSize) || fileSize.QuadPart <= 0 ||
      static_cast<uint64_t>(fileSize.QuadPart) > ImageLimits().maxFileBytes) {
    return nullptr;
  }
  const size_t size = static_cast<size_t>(fileSize.QuadPart);
  GlobalBytes memory(size);
  if (!memory.Get() || !ReadAndCheck(file.Get(), size, memory.Get())) return nullptr;
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(memory.Get(), TRUE, &stream) != S_OK || !stream) return nullptr;
  memory.Release();  // the stream frees it now
  // The memory block may be larger than the file; the decoder must see only the file.
  ULARGE_INTEGER streamSize = {};
  streamSize.QuadPart = size;
  StreamPtr owned(stream);
  if (owned->SetSize(streamSize) != S_OK) return nullptr;
  return owned;
}

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

// What the decoder found must keep within the limits the header check applied, since every
// frame becomes a bitmap of the whole image.
bool FramesFit(UINT frameCount, UINT width, UINT height) {
  const ImageLimits limits;
  const uint64_t bytes = uint64_t{frameCount} * width * height * 4;
  return frameCount <= limits.maxFrames && bytes <= limits.maxDecodedBytes;
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
  // Declared first so that it outlives the bitmap, which reads from it.
  StreamPtr stream = OpenCheckedImage(path);
  if (!stream) return nullptr;
  Gdiplus::GpBitmap* raw = nullptr;
  if (gp::GdipCreateBitmapFromStream(stream.get(), &raw) != Gdiplus::Ok || !raw) return nullptr;
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
  if (frameCount == 0 || !FramesFit(frameCount, width, height)) return nullptr;
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
