#include "engine/jpeg_decoder.h"

#include <windows.h>

#include <objidl.h>
#include <shlwapi.h>

#include <gdiplus.h>

#include <cstring>

namespace engine {

namespace gp = Gdiplus::DllExports;

JpegDecoder::JpegDecoder() {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) token_ = token;
}

JpegDecoder::~JpegDecoder() {
  if (token_) Gdiplus::GdiplusShutdown(token_);
}

bool JpegDecoder::Decode(const std::string& bytes, std::vector<uint32_t>& pixels, int& width,
                         int& height) {
  if (!token_ || bytes.empty()) return false;
  IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                      static_cast<UINT>(bytes.size()));
  if (!stream) return false;
  Gdiplus::GpBitmap* bitmap = nullptr;
  bool decoded = false;
  if (gp::GdipCreateBitmapFromStream(stream, &bitmap) == Gdiplus::Ok && bitmap) {
    UINT w = 0;
    UINT h = 0;
    gp::GdipGetImageWidth(bitmap, &w);
    gp::GdipGetImageHeight(bitmap, &h);
    Gdiplus::GpRect area(0, 0, static_cast<INT>(w), static_cast<INT>(h));
    Gdiplus::BitmapData data = {};
    if (w > 0 && h > 0 && w <= 16384 && h <= 16384 &&
        gp::GdipBitmapLockBits(bitmap, &area, Gdiplus::ImageLockModeRead, PixelFormat32bppRGB,
                               &data) == Gdiplus::Ok) {
      pixels.resize(static_cast<size_t>(w) * h);
      for (UINT y = 0; y < h; ++y) {
        std::memcpy(
            &pixels[static_cast<size_t>(y) * w],
            static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride,
            w * 4);
      }
      gp::GdipBitmapUnlockBits(bitmap, &data);
      width = static_cast<int>(w);
      height = static_cast<int>(h);
      decoded = true;
    }
    gp::GdipDisposeImage(bitmap);
  }
  stream->Release();
  return decoded;
}

}  // namespace engine
