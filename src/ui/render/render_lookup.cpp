#include "ui/render/render_lookup.h"

#include <utility>

namespace ui {

namespace {

RenderLookup::FontFunction& FontLookup() {
  static RenderLookup::FontFunction lookup;
  return lookup;
}

RenderLookup::ColorFunction& ColorLookup() {
  static RenderLookup::ColorFunction lookup;
  return lookup;
}

RenderLookup::ScaleRectFunction& RectScaler() {
  static RenderLookup::ScaleRectFunction scaler;
  return scaler;
}

}  // namespace

void RenderLookup::SetFontLookup(FontFunction lookup) {
  FontLookup() = std::move(lookup);
}

void RenderLookup::SetColorLookup(ColorFunction lookup) {
  ColorLookup() = std::move(lookup);
}

void RenderLookup::SetRectScaler(ScaleRectFunction scaler) {
  RectScaler() = std::move(scaler);
}

bool RenderLookup::FindFont(const std::wstring& id, RenderFont* font) {
  const FontFunction& lookup = FontLookup();
  return lookup && font && lookup(id, font);
}

UiColor RenderLookup::FindColor(const std::wstring& name) {
  const ColorFunction& lookup = ColorLookup();
  return lookup ? lookup(name) : 0;
}

UiRect RenderLookup::ScaleRect(const UiRect& rect) {
  const ScaleRectFunction& scaler = RectScaler();
  return scaler ? scaler(rect) : rect;
}

}  // namespace ui
