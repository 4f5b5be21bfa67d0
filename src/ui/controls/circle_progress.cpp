#include "ui/controls/circle_progress.h"

#include <algorithm>

#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/attribute_table.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/render/gdiplus_ptr.h"
#include "ui/render/i_render_context.h"
#include "ui/render/surface_graphics.h"

namespace ui {

namespace gp = Gdiplus::DllExports;
using Gdiplus::REAL;

struct CircleProgress::IndicatorImage {
  ImagePtr image;
  UINT width = 0;
  UINT height = 0;
};

namespace {

bool FileExists(const std::wstring& path) {
  return !path.empty() && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

CircleProgress::CircleProgress() = default;

CircleProgress::~CircleProgress() = default;

void CircleProgress::SetCircular(bool circular) {
  circular_ = circular;
  Invalidate();
}

void CircleProgress::SetClockwise(bool clockwise) {
  if (clockwise == clockwise_) return;
  clockwise_ = clockwise;
  // The image was turned to lie along the old direction; half a turn lies it along the new.
  if (indicator_) gp::GdipImageRotateFlip(indicator_->image.get(), Gdiplus::Rotate180FlipNone);
}

void CircleProgress::SetCircleWidth(int width) {
  circleWidth_ = width;
  Invalidate();
}

void CircleProgress::SetBackgroundColor(const std::wstring& color) {
  bgColor_ = UiRegistry::GetTextColor(SkipLeadingBlanks(color));
  Invalidate();
}

void CircleProgress::SetForegroundColor(const std::wstring& color) {
  fgColor_ = UiRegistry::GetTextColor(SkipLeadingBlanks(color));
  Invalidate();
}

void CircleProgress::SetGradientColor(const std::wstring& color) {
  gradientColor_ = UiRegistry::GetTextColor(SkipLeadingBlanks(color));
  Invalidate();
}

void CircleProgress::SetIndicator(const std::wstring& path) {
  if (path == indicatorPath_) return;
  indicatorPath_ = path;
  indicator_.reset();
  indicatorReleased_ = false;
  LoadIndicator();
  if (indicator_) Invalidate();
}

void CircleProgress::LoadIndicator() {
  std::wstring file = indicatorPath_;
  if (!FileExists(file)) file = UiRegistry::GetResourcePath() + GetResourceSubFolder() + file;
  if (!FileExists(file)) return;
  Gdiplus::GpImage* loaded = nullptr;
  if (gp::GdipLoadImageFromFile(file.c_str(), &loaded) != Gdiplus::Ok) {
    if (loaded) gp::GdipDisposeImage(loaded);
    return;
  }
  auto indicator = std::make_unique<IndicatorImage>();
  indicator->image.reset(loaded);
  // Drawn at the top of the ring, the image lies along the ring's direction there.
  gp::GdipImageRotateFlip(loaded,
                          clockwise_ ? Gdiplus::Rotate90FlipNone : Gdiplus::Rotate270FlipNone);
  gp::GdipGetImageWidth(loaded, &indicator->width);
  gp::GdipGetImageHeight(loaded, &indicator->height);
  indicator_ = std::move(indicator);
}

void CircleProgress::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (!Attributes().Apply(*this, name, value)) Progress::SetAttribute(name, value);
}

const AttributeTable<CircleProgress>& CircleProgress::Attributes() {
  using Value = const std::wstring&;
  static const AttributeTable<CircleProgress> table({
      {L"circular", [](CircleProgress& c, Value v) { c.SetCircular(ParseBoolValue(v)); }},
      {L"circlewidth", [](CircleProgress& c, Value v) { c.SetCircleWidth(_wtoi(v.c_str())); }},
      {L"indicator", [](CircleProgress& c, Value v) { c.SetIndicator(v); }},
      {L"clockwise", [](CircleProgress& c, Value v) { c.SetClockwise(ParseBoolValue(v)); }},
      {L"bgcolor", [](CircleProgress& c, Value v) { c.SetBackgroundColor(v); }},
      {L"fgcolor", [](CircleProgress& c, Value v) { c.SetForegroundColor(v); }},
      {L"gradientcolor", [](CircleProgress& c, Value v) { c.SetGradientColor(v); }},
  });
  return table;
}

void CircleProgress::PaintStateImages(IRenderContext& context) {
  Progress::PaintStateImages(context);
  if (!circular_) return;
  if (!indicator_ && indicatorReleased_) {
    indicatorReleased_ = false;
    LoadIndicator();
  }
  PaintRing(context);
}

void CircleProgress::PaintRing(IRenderContext& context) {
  SurfaceGraphics surface(context.GetDc());
  Gdiplus::GpGraphics* made = surface.get();
  if (!made) return;
  gp::GdipSetSmoothingMode(made, Gdiplus::SmoothingModeAntiAlias);
  const REAL penWidth = static_cast<REAL>(circleWidth_);
  Gdiplus::GpPen* pen = nullptr;
  gp::GdipCreatePen1(bgColor_, penWidth, Gdiplus::UnitWorld, &pen);
  PenPtr bgPen(pen);

  const int w = rect_.Width();
  const int h = rect_.Height();
  const int cx = rect_.left + w / 2;
  const int cy = rect_.top + h / 2;
  const int d = std::min(w, h);
  const Gdiplus::GpRectF square{static_cast<REAL>(cx - d / 2), static_cast<REAL>(cy - d / 2),
                                static_cast<REAL>(d), static_cast<REAL>(d)};
  const REAL inset = indicator_ ? static_cast<REAL>(indicator_->width) / 2
                                : static_cast<REAL>(circleWidth_) * 0.5f;
  const Gdiplus::GpRectF arc{square.X + inset + 1, square.Y + inset + 1, d - 2 * inset - 2,
                             d - 2 * inset - 2};
  const REAL sweep = static_cast<REAL>((clockwise_ ? 1 : -1) * 360.0 * (value_ - min_) / Span());
  constexpr REAL kTop = 270;

  auto drawArcs = [&](Gdiplus::GpPen* fgPen) {
    gp::GdipDrawArc(made, bgPen.get(), arc.X, arc.Y, arc.Width, arc.Height, kTop, 360);
    gp::GdipDrawArc(made, fgPen, arc.X, arc.Y, arc.Width, arc.Height, kTop, sweep);
  };
  if (gradientColor_ != 0) {
    Gdiplus::GpLineGradient* gradient = nullptr;
    gp::GdipCreateLineBrushFromRect(&square, fgColor_, gradientColor_,
                                    Gdiplus::LinearGradientModeVertical, Gdiplus::WrapModeTile,
                                    &gradient);
    BrushPtr brush(gradient);
    if (gradient) {
      const REAL factors[] = {0.0f, 0.4f, 0.6f, 1.0f};
      const REAL positions[] = {0.0f, 0.2f, 0.8f, 1.0f};
      gp::GdipSetLineBlend(gradient, factors, positions, 4);
      Gdiplus::GpPen* gradientPen = nullptr;
      gp::GdipCreatePen2(gradient, penWidth, Gdiplus::UnitWorld, &gradientPen);
      PenPtr fgPen(gradientPen);
      if (fgPen) drawArcs(fgPen.get());
    }
  } else {
    Gdiplus::GpPen* solid = nullptr;
    gp::GdipCreatePen1(fgColor_, penWidth, Gdiplus::UnitWorld, &solid);
    PenPtr fgPen(solid);
    if (fgPen) drawArcs(fgPen.get());
  }

  if (indicator_) {
    // Turned about the centre with the arc, the image at the ring's top rides on its end.
    // Prepended, so that the turn is about the centre in the control's coordinates and the
    // graphics' own mapping onto the surface still follows it.
    gp::GdipTranslateWorldTransform(made, static_cast<REAL>(cx), static_cast<REAL>(cy),
                                    Gdiplus::MatrixOrderPrepend);
    gp::GdipRotateWorldTransform(made, sweep, Gdiplus::MatrixOrderPrepend);
    gp::GdipTranslateWorldTransform(made, static_cast<REAL>(-cx), static_cast<REAL>(-cy),
                                    Gdiplus::MatrixOrderPrepend);
    const UINT iw = indicator_->width;
    const UINT ih = indicator_->height;
    gp::GdipDrawImageRect(made, indicator_->image.get(), static_cast<REAL>(cx) - iw / 2,
                          arc.Y - ih / 2, static_cast<REAL>(iw), static_cast<REAL>(ih));
  }
}

void CircleProgress::ReleaseAllImages() {
  Progress::ReleaseAllImages();
  if (indicator_) {
    indicator_.reset();
    indicatorReleased_ = true;
  }
}

}  // namespace ui
