#pragma once

#include <memory>
#include <string>

#include "ui/core/images/image_info.h"

namespace ui {

// Decodes a PNG, JPEG, BMP or GIF file (every frame of an animated GIF, with its delays)
// into native bitmaps through GDI+, which must be running. Nothing when the file is
// missing, empty, damaged or not an image, or when its headers promise more than the
// image limits allow (see image_check.h); GDI+ never sees such a file. The path is stored
// as given.
std::unique_ptr<ImageInfo> LoadImageFromFile(const std::wstring& path);

}  // namespace ui
