#pragma once

#include <memory>
#include <string>

#include "ui/core/images/image_info.h"
#include "ui/render/render_types.h"

namespace ui {

// A picture as a layout describes it: a file name, optionally followed by drawing
// properties, together with the decoded image and, for an animated background, where its
// animation stands.
//
// The text is a bare file name or blank-separated name='value' items:
//   file='bk.png' corner='5,5,5,5'
//   file='icon.png' source='0,0,16,16' dest='4,4,20,20' fade='128'
struct ImageAttribute {
  // Every property back to its default; drops the image and the animation state.
  void Reset();
  // Reset, then take the text as the attribute string and as the file name, and apply the
  // properties it names. A bare file name therefore needs no properties.
  void SetImageString(const std::wstring& text);

  // The whole text as set.
  std::wstring imageString;
  // Absolute, or relative to the window's resource folder.
  std::wstring file;
  // Relative to the control's top-left corner; all -1 while unset.
  UiRect dest{-1, -1, -1, -1};
  // All -1 while unset: the whole image.
  UiRect source{-1, -1, -1, -1};
  // Left, top, right and bottom insets of the nine-grid.
  UiRect corner{0, 0, 0, 0};
  unsigned char fade = 255;
  bool xTiled = false;
  bool yTiled = false;
  // Animation cycles: -1 forever, 0 never animate, N > 0 that many.
  int playCount = -1;

  std::shared_ptr<ImageInfo> image;
  int frameIndex = 0;
  bool playing = false;
  int cyclesDone = 0;
};

// True when no side of the rectangle is -1.
bool IsRectSet(const UiRect& rect);

// Applies the properties the text names, in order, to the attribute; properties it does not
// name keep their values. Used by SetImageString and to apply a modification string to a
// copy. Parsing stops silently at the first syntax fault, keeping what came before:
//  - items are name='value' with blanks allowed around "=", separated by exactly one blank;
//  - names are case-sensitive; unknown names and empty values are skipped;
//  - "file"/"res", "dest", "source", "corner" (four integers), "fade" (0-255), "xtiled",
//    "ytiled" (true exactly for "true"), "playcount";
//  - "dest" is scaled for DPI unless a "destscale='false'" comes before it.
void ParseImageAttribute(ImageAttribute* attribute, const std::wstring& text);

}  // namespace ui
