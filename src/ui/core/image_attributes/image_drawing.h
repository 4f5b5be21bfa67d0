#pragma once

#include <string>

#include "ui/core/image_attributes/image_attribute.h"

// <windows.h> turns LoadImage into LoadImageW; the image operation keeps its own name. A
// file that includes <windows.h> after this header gets a compile error, not a wrong call.
#ifdef LoadImage
#undef LoadImage
#endif

namespace ui {

class IImageHost;
class IRenderContext;

// The full path of an attribute's file: a relative file lies under the resource path and the
// host window's resource sub-folder. Normalised, as the image cache keys it.
std::wstring ResolveImagePath(const IImageHost& host, const std::wstring& file);

// Makes the attribute hold the image of its file, from the image cache (decoding it when no
// one holds it). Keeps an image already loaded from the same path. The image stays empty
// when the file does not load.
void LoadImage(const IImageHost& host, ImageAttribute* attribute);

// Draws the attribute into the host's item rectangle, limited to its paint rectangle.
// modification names properties that change for this drawing only; fade, unless -1,
// replaces the attribute's fade. False when the attribute has no file or its image does
// not load; the attribute is then reset, so the file is not tried again on every paint.
// While the host's animated background has yet to start, this call starts it and the first
// frame is drawn by the paint that follows.
bool DrawImage(IImageHost& host, IRenderContext& context, ImageAttribute* attribute,
               const std::wstring& modification = std::wstring(), int fade = -1);

}  // namespace ui
