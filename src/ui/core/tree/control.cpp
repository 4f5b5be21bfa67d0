#include "ui/core/tree/control.h"

#include <windows.h>

#include <algorithm>

#include "runtime/string_util.h"
#include "ui/core/image_attributes/image_animation.h"
#include "ui/core/image_attributes/image_drawing.h"
#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/language_strings.h"
#include "ui/core/resources/scale_change.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/i_control_window.h"

namespace ui {

namespace {

int Scaled(int value, bool scale) {
  return scale ? UiRegistry::GetDpiScaler().ScaleLength(value) : value;
}

bool IsLength(int value) {
  return value >= 0 || value == kLengthStretch || value == kLengthAuto;
}

// The system's shared cursors, loaded once: loading one costs more than a mouse move's
// whole handling.
HCURSOR SystemCursor(CursorType type) {
  static const HCURSOR cursors[] = {::LoadCursorW(nullptr, IDC_ARROW),
                                    ::LoadCursorW(nullptr, IDC_HAND),
                                    ::LoadCursorW(nullptr, IDC_IBEAM)};
  return cursors[type];
}

UiRect Union(const UiRect& a, const UiRect& b) {
  return UiRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

}  // namespace

void AddEventHandler(EventHandlerMap* map, int key, EventHandler handler) {
  auto list = std::make_shared<EventHandlerList>();
  auto it = map->find(key);
  if (it != map->end()) *list = *it->second;
  list->push_back(std::move(handler));
  (*map)[key] = std::move(list);
}

void RunEventHandlers(const EventHandlerMap& map, int key, EventArgs* args,
                      const std::weak_ptr<kbase::WeakFlag>& alive, bool* result) {
  auto it = map.find(key);
  if (it == map.end()) return;
  // The snapshot stays valid whatever the handlers do to the map or its owner.
  const std::shared_ptr<const EventHandlerList> list = it->second;
  *result = true;
  for (const EventHandler& handler : *list) {
    const bool goOn = handler(args);
    if (alive.expired() || !goOn) {
      *result = false;
      return;
    }
  }
}

bool RunTypeAndAllHandlers(const EventHandlerMap& map, EventArgs* args,
                           const std::weak_ptr<kbase::WeakFlag>& alive, bool* result) {
  RunEventHandlers(map, args->type, args, alive, result);
  if (alive.expired()) return false;
  RunEventHandlers(map, kEventAll, args, alive, result);
  return !alive.expired();
}

Control::Control() = default;

Control::~Control() {
  bkImageAnimationFlag_.Revoke();
  if (window_) window_->ForgetControl(this);
}

// Geometry.

UiSize Control::EstimateSize(UiSize available) {
  if (fixedWidth_ != kLengthAuto && fixedHeight_ != kLengthAuto) {
    return UiSize{fixedWidth_, fixedHeight_};
  }
  if (!needsEstimate_) return estimatedSize_;
  ImageAttribute* image = GetSizingImage();
  if (image && IsRectSet(image->source)) {
    // The image's source fixes the dimensions left to it; a fixed one stays as set.
    if (fixedWidth_ == kLengthAuto) SetFixedWidth(image->source.Width());
    if (fixedHeight_ == kLengthAuto) SetFixedHeight(image->source.Height());
    return UiSize{fixedWidth_, fixedHeight_};
  }
  UiSize size{fixedWidth_ == kLengthAuto ? 0 : fixedWidth_,
              fixedHeight_ == kLengthAuto ? 0 : fixedHeight_};
  if (image) {
    LoadImage(*this, image);
    if (image->image) {
      if (fixedWidth_ == kLengthAuto) size.cx = Scaled(image->image->width, true);
      if (fixedHeight_ == kLengthAuto) size.cy = Scaled(image->image->height, true);
    }
  }
  needsEstimate_ = false;
  const UiSize text = EstimateText(available, &needsEstimate_);
  if (fixedWidth_ == kLengthAuto) size.cx = std::max(size.cx, text.cx);
  if (fixedHeight_ == kLengthAuto) size.cy = std::max(size.cy, text.cy);
  estimatedSize_ = size;
  return size;
}

void Control::SetPosition(const UiRect& requested) {
  UiRect rect = requested;
  if (rect.right < rect.left) rect.right = rect.left;
  if (rect.bottom < rect.top) rect.bottom = rect.top;
  arrangePending_ = false;
  if (rect == rect_) return;
  UiRect invalid = rect_.IsEmpty() ? rect : rect_;
  rect_ = rect;
  if (!window_) return;
  if (!inResizeEvent_) {
    const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
    inResizeEvent_ = true;
    SendEvent(kEventResize, 0, 0, 0, 0.0f, window_->GetLastMousePoint());
    if (alive.expired()) return;
    inResizeEvent_ = false;
  }
  invalid = Union(invalid, rect);
  const UiPoint scroll = GetScrollOffsetInScrollBox();
  invalid.Offset(-scroll.x, -scroll.y);
  for (Box* parent = parent_; parent && !invalid.IsEmpty(); parent = parent->GetParent()) {
    invalid = invalid.Intersection(parent->GetPosition());
  }
  if (invalid.IsEmpty() || !window_) return;
  window_->InvalidateArea(invalid);
}

void Control::Invalidate() {
  PlaceHolder::Invalidate();
}

void Control::SetFixedWidth(int width, bool relayoutNow, bool scale) {
  if (!IsLength(width)) return;
  if (width > 0) width = Scaled(width, scale);
  if (width == fixedWidth_) return;
  fixedWidth_ = width;
  if (relayoutNow) {
    RelayoutAncestor();
  } else {
    needsEstimate_ = true;
  }
}

void Control::SetFixedHeight(int height, bool scale) {
  if (!IsLength(height)) return;
  if (height > 0) height = Scaled(height, scale);
  if (height == fixedHeight_) return;
  fixedHeight_ = height;
  RelayoutAncestor();
}

namespace {

// Stores a changed bound and asks for the relayout a bound change needs.
void UpdateBound(Control* control, int* field, int value) {
  if (*field == value) return;
  *field = value;
  if (control->IsFloat()) {
    control->Relayout();
  } else {
    control->RelayoutAncestor();
  }
}

}  // namespace

void Control::SetMinWidth(int width, bool scale) {
  if (width < 0) return;
  UpdateBound(this, &minWidth_, Scaled(width, scale));
}

void Control::SetMinHeight(int height, bool scale) {
  if (height < 0) return;
  UpdateBound(this, &minHeight_, Scaled(height, scale));
}

void Control::SetMaxWidth(int width, bool scale) {
  UpdateBound(this, &maxWidth_, width > 0 ? Scaled(width, scale) : width);
}

void Control::SetMaxHeight(int height, bool scale) {
  UpdateBound(this, &maxHeight_, height > 0 ? Scaled(height, scale) : height);
}

void Control::SetFloat(bool isFloat) {
  if (isFloat_ == isFloat) return;
  isFloat_ = isFloat;
  Relayout();
}

void Control::SetMargin(const UiRect& margin, bool scale) {
  const UiRect value = scale ? UiRegistry::GetDpiScaler().ScaleRect(margin) : margin;
  if (value == margin_) return;
  margin_ = value;
  RelayoutAncestor();
}

void Control::RescaleLengths(const ScaleChange& change) {
  fixedWidth_ = change.PositiveLength(fixedWidth_);
  fixedHeight_ = change.PositiveLength(fixedHeight_);
  minWidth_ = change.PositiveLength(minWidth_);
  minHeight_ = change.PositiveLength(minHeight_);
  // "No maximum" is a large number that must stay what it is.
  if (maxWidth_ != kNoMaxLength) maxWidth_ = change.PositiveLength(maxWidth_);
  if (maxHeight_ != kNoMaxLength) maxHeight_ = change.PositiveLength(maxHeight_);
  margin_ = change.Rect(margin_);
  borderSize_ = change.Length(borderSize_);
  borderSides_ = change.Insets(borderSides_);
  borderRound_ = change.Size(borderRound_);
  tooltipWidth_ = change.PositiveLength(tooltipWidth_);
  needsEstimate_ = true;
}

UiSize Control::EstimateText(UiSize, bool*) {
  return UiSize{};
}

bool Control::HitTestScrolled(const UiPoint& point) const {
  const UiPoint scroll = GetScrollOffsetInScrollBox();
  const int x = point.x + scroll.x;
  const int y = point.y + scroll.y;
  return x >= rect_.left && x < rect_.right && y >= rect_.top && y < rect_.bottom;
}

ImageAttribute* Control::GetSizingImage() {
  if (!bkImage_.file.empty()) return &bkImage_;
  return bkStateImages_ ? bkStateImages_->FirstImageWithFile() : nullptr;
}

// Tooltips, data and user data.

std::wstring Control::GetToolTipText() const {
  if (tooltipText_.empty() && !tooltipTextId_.empty()) {
    return UiRegistry::GetLanguageStrings().GetString(tooltipTextId_);
  }
  return tooltipText_;
}

std::string Control::GetUtf8ToolTipText() const {
  return kbase::WideToUtf8(GetToolTipText());
}

void Control::SetToolTipText(const std::wstring& text) {
  std::wstring value = text;
  for (size_t at = value.find(L"<n>"); at != std::wstring::npos; at = value.find(L"<n>", at)) {
    value.replace(at, 3, L"\r\n");
    at += 2;
  }
  tooltipText_ = value;
  Invalidate();
}

void Control::SetUtf8ToolTipText(const std::string& text) {
  SetToolTipText(kbase::Utf8ToWide(text));
}

void Control::SetToolTipTextId(const std::wstring& id) {
  if (id == tooltipTextId_) return;
  tooltipTextId_ = id;
  Invalidate();
}

void Control::SetUtf8ToolTipTextId(const std::string& id) {
  SetToolTipTextId(kbase::Utf8ToWide(id));
}

void Control::SetToolTipWidth(int width) {
  tooltipWidth_ = Scaled(width, true);
}

std::string Control::GetUtf8DataID() const {
  return kbase::WideToUtf8(dataId_);
}

void Control::SetUtf8DataID(const std::string& id) {
  dataId_ = kbase::Utf8ToWide(id);
}

void Control::SetUserData(UserData* data) {
  if (data == userData_.get()) return;
  userData_.reset(data);
}

// Visibility, enabled state and focus.

void Control::SetFadeVisible(bool visible) {
  if (visible) {
    animations_.Appear();
  } else {
    animations_.Disappear();
  }
}

void Control::SetParentVisible(bool visible) {
  parentVisible_ = visible;
  if (!visible && window_ && window_->GetFocusControl() == this) {
    window_->SetFocusControl(nullptr);
  }
  if (!IsVisible()) StopBkImageAnimation();
}

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  const bool wasVisible = IsVisible();
  focused_ = false;
  visible_ = visible;
  if (!visible && window_ && window_->GetFocusControl() == this) {
    window_->SetFocusControl(nullptr);
  }
  if (IsVisible() != wasVisible) RelayoutAncestor();
  if (!IsVisible()) StopBkImageAnimation();
}

void Control::StopBkImageAnimation() {
  if (!bkImage_.image || !bkImage_.image->IsAnimated()) return;
  StopAnimation(*this, 0);
  // Hidden controls do not repaint; the window area they left is marked directly.
  cacheDirty_ = true;
  InvalidateWindowArea(GetPosition(true));
}

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (enabled) {
    state_ = ControlState::kNormal;
    hotAlpha_ = 0;
  } else {
    state_ = ControlState::kDisabled;
  }
  Invalidate();
}

void Control::SetFocus() {
  if (noFocus_ || !window_) return;
  window_->SetFocusControl(this);
}

Control* Control::FindControl(FindControlProc proc, void* data, unsigned int flags,
                              const UiPoint&) {
  if ((flags & kFindVisible) && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) && !IsEnabled()) return nullptr;
  if (flags & kFindHitTest) {
    if (!mouseEnabled_) return nullptr;
    const UiPoint* point = static_cast<const UiPoint*>(data);
    if (point->x < rect_.left || point->x >= rect_.right || point->y < rect_.top ||
        point->y >= rect_.bottom) {
      return nullptr;
    }
  }
  return proc(this, data);
}

// Events.

bool Control::IsSelfOrAncestorOf(const Control* control) const {
  for (const Control* c = control; c; c = c->GetParent()) {
    if (c == this) return true;
  }
  return false;
}

bool Control::RunOwnHandlers(EventArgs* args, const std::weak_ptr<kbase::WeakFlag>& alive) {
  bool result = true;
  if (!RunTypeAndAllHandlers(codeHandlers_, args, alive, &result)) return false;
  if (result && !RunTypeAndAllHandlers(layoutHandlers_, args, alive, &result)) return false;
  return result;
}

void Control::DispatchEvent(EventArgs* args) {
  if (args->type <= kEventInternalKillFocus) {
    HandleEvent(args);
    return;
  }
  if (args->sender == this) {
    const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
    if (!RunOwnHandlers(args, alive)) return;
  }
  HandleEvent(args);
}

bool Control::PassOnDisabledMouse(EventArgs* args) {
  if (args->type < kEventMouseFirst || args->type > kEventMouseLast || IsMouseEnabled()) {
    return false;
  }
  if (parent_) parent_->DispatchEvent(args);
  return true;
}

void Control::HandleEvent(EventArgs* args) {
  if (PassOnDisabledMouse(args)) return;
  const int type = args->type;
  switch (type) {
    case kEventInternalMenu:
      if (IsEnabled() && contextMenuUsed_ && window_) {
        window_->SendNotify(this, kEventMenu, args->wParam, args->lParam);
        return;
      }
      break;
    case kEventInternalSetFocus:
      hotAlpha_ = 255;
      state_ = ControlState::kHot;
      focused_ = true;
      Invalidate();
      return;
    case kEventInternalKillFocus:
      hotAlpha_ = 0;
      state_ = ControlState::kNormal;
      focused_ = false;
      Invalidate();
      return;
    case kEventSetCursor: {
      CursorType cursor = cursorType_;
      if (cursor == kCursorHand && !IsEnabled()) cursor = kCursorArrow;
      ::SetCursor(SystemCursor(cursor));
      return;
    }
    case kEventInternalButtonDown:
    case kEventButtonDown:
      ButtonDown(args);
      return;
    case kEventButtonUp:
      ButtonUp(args);
      return;
    case kEventPointerDown:
    case kEventPointerUp:
      if (receivePointer_) {
        if (type == kEventPointerDown) {
          ButtonDown(args);
        } else {
          ButtonUp(args);
        }
        return;
      }
      break;
    case kEventMouseEnter:
      if (args->sender != this && window_ && !IsSelfOrAncestorOf(window_->GetHoverControl())) {
        return;
      }
      MouseEnter(args);
      break;
    case kEventMouseLeave:
      if (args->sender != this && window_ && IsSelfOrAncestorOf(window_->GetHoverControl())) {
        return;
      }
      MouseLeave(args);
      break;
    default:
      break;
  }
  if (parent_) parent_->DispatchEvent(args);
}

bool Control::HasHotState() {
  auto it = stateColors_.find(ControlState::kHot);
  if (it != stateColors_.end() && !it->second.empty()) return true;
  return (bkStateImages_ && bkStateImages_->HasHotImage()) ||
         (foreStateImages_ && foreStateImages_->HasHotImage());
}

bool Control::MouseEnter(EventArgs*) {
  if (!IsEnabled() || state_ != ControlState::kNormal) return false;
  state_ = ControlState::kHot;
  if (HasHotState()) {
    animations_.MouseEnter();
    Invalidate();
  }
  return true;
}

bool Control::MouseLeave(EventArgs*) {
  if (!IsEnabled() || state_ != ControlState::kHot) return false;
  state_ = ControlState::kNormal;
  if (HasHotState()) {
    animations_.MouseLeave();
    Invalidate();
  }
  return true;
}

bool Control::ButtonDown(EventArgs*) {
  if (!IsEnabled()) return false;
  state_ = ControlState::kPushed;
  pressed_ = true;
  Invalidate();
  return true;
}

bool Control::ButtonUp(EventArgs* args) {
  if (!pressed_) return false;
  pressed_ = false;
  Invalidate();
  if (!HitTestScrolled(args->mousePoint)) {
    SettleHotState(false);
    return false;
  }
  SettleHotState(args->type != kEventPointerUp);
  Activate();
  return true;
}

void Control::SettleHotState(bool hot) {
  // A hot fade left running would overwrite the hot alpha set here; stopped at the matching
  // end, it later fades out from where the control stands.
  animations_.ResetHotFade(hot);
  state_ = hot ? ControlState::kHot : ControlState::kNormal;
  hotAlpha_ = hot ? 255 : 0;
}

void Control::SendEvent(EventType type, std::uint32_t wParam, std::uint32_t lParam,
                        wchar_t keyCharacter, float pressure, const UiPoint& mousePoint) {
  EventArgs args;
  args.type = type;
  args.sender = this;
  args.timestamp = ::GetTickCount();
  args.mousePoint = mousePoint;
  args.keyCharacter = keyCharacter;
  args.wParam = wParam;
  args.lParam = lParam;
  args.pressure = pressure;
  DispatchEvent(&args);
}

void Control::AttachEvent(EventType type, EventHandler handler) {
  AddEventHandler(&codeHandlers_, type, std::move(handler));
}

void Control::AttachLayoutEvent(EventType type, EventHandler handler) {
  AddEventHandler(&layoutHandlers_, type, std::move(handler));
}

void Control::AttachImageEvent(int key, EventHandler handler) {
  AddEventHandler(&imageEventHandlers_, key, std::move(handler));
}

void Control::DetachEvent(EventType type) {
  codeHandlers_.erase(type);
}

// Images.

void Control::RestoreImagesFromCache() {
  if (bkImage_.image || bkImage_.file.empty()) return;
  bkImage_.image = UiRegistry::FindCachedImage(ResolveImagePath(*this, bkImage_.file));
}

void Control::ReleaseBkImage() {
  bkImageAnimationFlag_.Revoke();
  bkImage_.image.reset();
  bkImage_.frameIndex = 0;
  bkImage_.playing = false;
  bkImage_.cyclesDone = 0;
}

void Control::ReleaseAllImages() {
  if (bkStateImages_) bkStateImages_->ClearImages();
  if (foreStateImages_) foreStateImages_->ClearImages();
  ReleaseBkImage();
}

std::wstring Control::GetResourceSubFolder() const {
  return window_ ? window_->GetResourceSubFolder() : std::wstring();
}

bool Control::IsHotFadeEnabled() const {
  return animations_.IsEnabled(ControlAnimations::kFadeHot);
}

void Control::OnBkImageAnimationFinished() {
  EventArgs args;
  args.type = kEventNone;
  args.sender = this;
  args.timestamp = ::GetTickCount();
  bool result = true;
  RunEventHandlers(imageEventHandlers_, 1, &args, WeakFlagOf(), &result);
}

}  // namespace ui
