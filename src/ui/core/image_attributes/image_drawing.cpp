#include "ui/core/image_attributes/image_drawing.h"

#include <windows.h>

#include <shlwapi.h>

#include "ui/core/image_attributes/i_image_host.h"
#include "ui/core/image_attributes/image_animation.h"
#include "ui/core/images/image_cache.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/render/i_render_context.h"

// Back to the image operation's own name after <windows.h>.
#ifdef LoadImage
#undef LoadImage
#endif

namespace ui {

namespace {

UiRect DestinationOf(const IImageHost& host, const ImageAttribute& attribute) {
  const UiRect item = host.GetItemRect();
  if (!IsRectSet(attribute.dest)) return item;
  return UiRect{item.left + attribute.dest.left, item.top + attribute.dest.top,
                item.left + attribute.dest.right, item.top + attribute.dest.bottom};
}

UiRect SourceOf(const ImageAttribute& attribute) {
  if (IsRectSet(attribute.source)) return attribute.source;
  return UiRect{0, 0, attribute.image->width, attribute.image->height};
}

// The background animation starts from the first paint that draws an image of the control.
bool ShouldStartBkAnimation(IImageHost& host) {
  const ImageAttribute& bk = host.GetBkImage();
  return bk.image && bk.image->IsAnimated() && host.IsBkImageAnimationAllowed() && !bk.playing;
}

}  // namespace

std::wstring ResolveImagePath(const IImageHost& host, const std::wstring& file) {
  if (::PathIsRelativeW(file.c_str())) {
    return NormalizeFilePath(UiRegistry::GetResourcePath() + host.GetResourceSubFolder() + file);
  }
  return NormalizeFilePath(file);
}

void LoadImage(const IImageHost& host, ImageAttribute* attribute) {
  if (attribute->file.empty()) return;
  const std::wstring path = ResolveImagePath(host, attribute->file);
  if (attribute->image && attribute->image->path == path) return;
  attribute->image = UiRegistry::GetImage(path);
}

bool DrawImage(IImageHost& host, IRenderContext& context, ImageAttribute* attribute,
               const std::wstring& modification, int fade) {
  if (attribute->file.empty()) return false;
  LoadImage(host, attribute);
  if (!attribute->image) {
    attribute->Reset();
    return false;
  }

  ImageAttribute drawn = *attribute;
  if (!modification.empty()) ParseImageAttribute(&drawn, modification);

  if (ShouldStartBkAnimation(host)) {
    AnimationStep(host);
    // An animation that could not start would otherwise keep the image from ever drawing.
    if (host.GetBkImage().playing) return true;
  }

  const unsigned char alpha = fade == -1 ? drawn.fade : static_cast<unsigned char>(fade);
  const ImageInfo& image = *attribute->image;
  context.PaintBitmap(host.GetPaintRect(), image.Frame(attribute->frameIndex), image.alpha,
                      DestinationOf(host, drawn), SourceOf(drawn), drawn.corner, alpha,
                      drawn.xTiled, drawn.yTiled);
  return true;
}

}  // namespace ui
