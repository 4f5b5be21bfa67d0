#pragma once

#include <string>

#include "ui/render/render_types.h"

namespace ui {

// The string format a text style asks for, in GDI+ terms.
struct TextFormat {
  int flags = 0;          // StringFormatFlags
  bool ellipsis = false;  // trim with the ellipsis character
  int align = 0;          // StringAlignment: 0 near, 1 centre, 2 far
  int lineAlign = 0;

  static TextFormat ForDrawing(TextStyle style, bool lineLimit);
};

inline bool operator==(const TextFormat& a, const TextFormat& b) {
  return a.flags == b.flags && a.ellipsis == b.ellipsis && a.align == b.align &&
         a.lineAlign == b.lineAlign;
}

// Fills, strokes and text drawn with GDI+ onto a device context, honouring its origin and
// clip. Colours are used as given.
class GdiPlusPainter {
 public:
  explicit GdiPlusPainter(HDC dc) : dc_(dc) {}

  GdiPlusPainter(const GdiPlusPainter&) = delete;
  GdiPlusPainter& operator=(const GdiPlusPainter&) = delete;

  void FillRect(const UiRect& rect, UiColor color);
  void FillGradient(const UiRect& rect, UiColor top, UiColor bottom);
  void StrokeLine(const UiRect& rect, int penWidth, UiColor color);
  void StrokeRect(const UiRect& rect, int penWidth, UiColor color);
  void StrokeRoundRect(const UiRect& rect, const UiSize& roundness, int penWidth, UiColor color);
  void StrokeEllipse(const UiRect& rect, int penWidth, UiColor color);
  void FillEllipse(const UiRect& rect, UiColor color);
  void DrawString(const UiRect& rect, const std::wstring& text, UiColor color,
                  const std::wstring& fontId, TextStyle style, bool lineLimit);
  UiRect MeasureString(const std::wstring& text, const std::wstring& fontId, TextStyle style,
                       int width);

 private:
  HDC dc_;
};

}  // namespace ui
