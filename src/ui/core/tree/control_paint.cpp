#include "ui/core/image_attributes/image_drawing.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/control.h"
#include "ui/render/auto_clip.h"
#include "ui/render/i_render_context.h"

namespace ui {

namespace {

// Clips to the control for the lifetime of the guard: its rectangle when asked, its
// rounded corners when it has them.
class ControlClip {
 public:
  ControlClip(IRenderContext& context, const UiRect& rect, bool clipToBounds, UiSize round)
      : context_(context) {
    if (clipToBounds) {
      context_.PushClip(rect);
      ++pushed_;
    }
    if (round.cx > 0 || round.cy > 0) {
      context_.PushRoundClip(rect, round.cx, round.cy);
      ++pushed_;
    }
  }
  ~ControlClip() {
    for (int i = 0; i < pushed_; ++i) context_.PopClip();
  }
  ControlClip(const ControlClip&) = delete;
  ControlClip& operator=(const ControlClip&) = delete;

 private:
  IRenderContext& context_;
  int pushed_ = 0;
};

}  // namespace

void Control::Paint(IRenderContext& context, const UiRect& paintRect) {
  if (alpha_ == 0 || !paintRect.Intersects(rect_)) return;
  if (alpha_ < 255) {
    PaintThroughCache(context, paintRect, false);
  } else if (useCache_) {
    PaintThroughCache(context, paintRect, true);
  } else {
    ControlClip clip(context, rect_, clipToBounds_, borderRound_);
    const UiPoint old = context.OffsetOrigin(renderOffset_.x, renderOffset_.y);
    PaintLayers(context, paintRect);
    PaintChildren(context, paintRect);
    context.SetOrigin(old);
  }
}

// The control's own layers go into an off-screen copy that is blended onto the target with
// the control's alpha. A translucent control repaints its copy every time and drops it
// afterwards; a cached one keeps it until it is invalidated or resized.
void Control::PaintThroughCache(IRenderContext& context, const UiRect& paintRect, bool keepCache) {
  if (!cacheContext_) {
    cacheContext_ = UiRegistry::CreateRenderContext();
    if (!cacheContext_) return;
  }
  if (cacheContext_->Resize(rect_.Width(), rect_.Height())) cacheDirty_ = true;
  const bool translucent = !keepCache;
  if (cacheDirty_) {
    cacheContext_->Clear();
    // The cache's pixel (0, 0) is the control's top-left corner.
    const UiPoint oldOrigin = cacheContext_->SetOrigin(UiPoint{rect_.left, rect_.top});
    {
      ControlClip clip(*cacheContext_, rect_, clipToBounds_, borderRound_);
      cacheContext_->OffsetOrigin(renderOffset_.x, renderOffset_.y);
      const bool oldExact = context.SetAlphaExact(true);
      PaintLayers(*cacheContext_, rect_);
      if (translucent) PaintChildren(context, paintRect);
      context.SetAlphaExact(oldExact);
    }
    cacheContext_->SetOrigin(oldOrigin);
    cacheDirty_ = false;
  }
  const UiRect area = paintRect.Intersection(rect_);
  if (!area.IsEmpty()) {
    context.BlendBits(area.left, area.top, area.Width(), area.Height(), cacheContext_->GetDc(),
                      area.left - rect_.left, area.top - rect_.top, area.Width(), area.Height(),
                      static_cast<unsigned char>(alpha_));
  }
  if (translucent) {
    cacheContext_.reset();
  } else {
    PaintChildren(context, paintRect);
  }
}

void Control::PaintLayers(IRenderContext& context, const UiRect& paintRect) {
  paintRect_ = paintRect.Intersection(rect_);
  if (paintRect_.IsEmpty()) return;
  PaintBkColor(context);
  PaintBkImage(context);
  PaintStateColor(context);
  PaintStateImages(context);
  PaintText(context);
  PaintBorder(context);
}

void Control::PaintChildren(IRenderContext&, const UiRect&) {}

void Control::PaintBkColor(IRenderContext& context) {
  if (bkColor_.empty()) return;
  if (!bkColor1_.empty()) {
    const UiColor top = UiRegistry::GetTextColor(bkColor_);
    const UiColor bottom = UiRegistry::GetTextColor(bkColor1_);
    if (top != 0 && bottom != 0) context.FillGradient(paintRect_, top, bottom);
    return;
  }
  const UiColor color = UiRegistry::GetTextColor(bkColor_);
  if (color == 0) return;
  // A translucent colour covers the whole control at once: filling piecewise would blend
  // the overlapping parts of successive paint rectangles twice.
  context.FillColor((color >> 24) < 0xFF ? rect_ : paintRect_, color, 255);
}

void Control::PaintBkImage(IRenderContext& context) {
  DrawImage(*this, context, &bkImage_);
}

void Control::PaintStateColor(IRenderContext& context) {
  PaintStateColors(context, stateColors_);
}

void Control::PaintStateColors(IRenderContext& context,
                               const std::map<ControlState, std::wstring>& colors) {
  auto colorOf = [&colors](ControlState state) {
    auto it = colors.find(state);
    return it == colors.end() ? std::wstring() : it->second;
  };
  ControlState state = state_;
  const std::wstring hot = colorOf(ControlState::kHot);
  if (IsHotFadeEnabled() && (state == ControlState::kNormal || state == ControlState::kHot) &&
      !hot.empty()) {
    context.FillNamedColor(paintRect_, colorOf(ControlState::kNormal), 255);
    if (hotAlpha_ > 0) {
      context.FillNamedColor(paintRect_, hot, static_cast<unsigned char>(std::min(hotAlpha_, 255)));
    }
    return;
  }
  context.FillNamedColor(paintRect_, colorOf(FallbackState(state, colorOf)), 255);
}

void Control::PaintStateImages(IRenderContext& context) {
  if (bkStateImages_) bkStateImages_->Paint(context, state_);
  if (foreStateImages_) foreStateImages_->Paint(context, state_);
}

void Control::PaintText(IRenderContext&) {}

void Control::PaintBorder(IRenderContext& context) {
  if (borderColor_.empty()) return;
  const UiColor color = UiRegistry::GetTextColor(borderColor_);
  if (color == 0) return;
  const UiRect r = rect_;
  const UiRect& s = borderSides_;
  if (s.left > 0 || s.top > 0 || s.right > 0 || s.bottom > 0) {
    // A one-pixel line would otherwise reach one pixel past the control.
    if (s.left > 0) {
      const int x = r.left + s.left / 2;
      context.StrokeLine(UiRect{x, r.top, x, s.left == 1 ? r.bottom - 1 : r.bottom}, s.left, color);
    }
    if (s.top > 0) {
      const int y = r.top + s.top / 2;
      context.StrokeLine(UiRect{r.left, y, s.top == 1 ? r.right - 1 : r.right, y}, s.top, color);
    }
    if (s.right > 0) {
      const int x = r.right - (s.right + 1) / 2;
      context.StrokeLine(UiRect{x, r.top, x, s.right == 1 ? r.bottom - 1 : r.bottom}, s.right,
                         color);
    }
    if (s.bottom > 0) {
      const int y = r.bottom - (s.bottom + 1) / 2;
      context.StrokeLine(UiRect{r.left, y, s.bottom == 1 ? r.right - 1 : r.right, y}, s.bottom,
                         color);
    }
    return;
  }
  if (borderSize_ <= 0) return;
  UiRect inset{r.left + borderSize_ / 2, r.top + borderSize_ / 2, r.right - borderSize_ / 2,
               r.bottom - borderSize_ / 2};
  if (borderSize_ % 2 == 1) {
    inset.right -= 1;
    inset.bottom -= 1;
  }
  if (borderRound_.cx > 0 || borderRound_.cy > 0) {
    context.StrokeRoundRect(inset, borderRound_, borderSize_, color);
  } else {
    context.StrokeRect(inset, borderSize_, color);
  }
}

}  // namespace ui
