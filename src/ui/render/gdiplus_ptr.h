#pragma once

// Owning pointers for GDI+ flat-API objects. Include only from .cpp files: it pulls in
// <windows.h> and <gdiplus.h>.

#include <windows.h>
// gdiplus.h needs PROPID, which the lean windows.h leaves out.
#include <objidl.h>

#include <gdiplus.h>

#include <memory>

namespace ui {

template <typename T, Gdiplus::GpStatus(WINGDIPAPI* Delete)(T*)>
struct GdiplusDeleter {
  void operator()(T* object) const {
    if (object) Delete(object);
  }
};

using GraphicsPtr =
    std::unique_ptr<Gdiplus::GpGraphics,
                    GdiplusDeleter<Gdiplus::GpGraphics, &Gdiplus::DllExports::GdipDeleteGraphics>>;
using BrushPtr =
    std::unique_ptr<Gdiplus::GpBrush,
                    GdiplusDeleter<Gdiplus::GpBrush, &Gdiplus::DllExports::GdipDeleteBrush>>;
using PenPtr = std::unique_ptr<Gdiplus::GpPen,
                               GdiplusDeleter<Gdiplus::GpPen, &Gdiplus::DllExports::GdipDeletePen>>;
using PathPtr =
    std::unique_ptr<Gdiplus::GpPath,
                    GdiplusDeleter<Gdiplus::GpPath, &Gdiplus::DllExports::GdipDeletePath>>;
using ImagePtr =
    std::unique_ptr<Gdiplus::GpImage,
                    GdiplusDeleter<Gdiplus::GpImage, &Gdiplus::DllExports::GdipDisposeImage>>;
using FontPtr =
    std::unique_ptr<Gdiplus::GpFont,
                    GdiplusDeleter<Gdiplus::GpFont, &Gdiplus::DllExports::GdipDeleteFont>>;
using StringFormatPtr = std::unique_ptr<
    Gdiplus::GpStringFormat,
    GdiplusDeleter<Gdiplus::GpStringFormat, &Gdiplus::DllExports::GdipDeleteStringFormat>>;

}  // namespace ui
