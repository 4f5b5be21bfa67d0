#include "ui/core/window/window.h"

#include <algorithm>
#include <cstdint>
#include <set>

#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/language_strings.h"
#include "ui/core/resources/scale_change.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/control_search.h"
#include "ui/core/window/i_ui_message_filter.h"
#include "ui/core/window/layout_pass.h"
#include "ui/render/i_render_context.h"
#include "ui/services/timer_queue.h"
#include "ui/services/touch_input.h"

namespace ui {

namespace {

const wchar_t kWindowProperty[] = L"WndX";

HINSTANCE ModuleHandle() {
  return ::GetModuleHandleW(nullptr);
}

bool ClassRegistered(ATOM atom) {
  return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Classes this process registered already; asking the system again costs a failed call.
std::set<std::wstring>& KnownClasses() {
  static std::set<std::wstring> known;
  return known;
}

Control* ForgetIfSame(Control* reference, Control* control) {
  return reference == control ? nullptr : reference;
}

}  // namespace

Window::Window() = default;

const FontRecord& Window::GetDefaultFont() const {
  if (defaultFont_.handle) return defaultFont_;
  // The system's GUI font, in whatever character set the text needs; made when first asked
  // for, as most windows never need it.
  LOGFONTW font{};
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  font.lfCharSet = DEFAULT_CHARSET;
  defaultFont_.handle = ::CreateFontIndirectW(&font);
  defaultFont_.faceName = font.lfFaceName;
  defaultFont_.size = -font.lfHeight;
  defaultFont_.bold = font.lfWeight >= FW_BOLD;
  defaultFont_.underline = font.lfUnderline != 0;
  defaultFont_.italic = font.lfItalic != 0;
  return defaultFont_;
}

Window::~Window() {
  // Messages still on their way must find no object behind the window.
  if (hwnd_ && ::IsWindow(hwnd_)) {
    if (subclassed_) {
      ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
      ::RemovePropW(hwnd_, kWindowProperty);
    } else {
      ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    }
  }
  DestroyDeferredControls();
  Control* root = root_;
  root_ = nullptr;
  delete root;
  DestroyDeferredControls();
  if (tooltip_) ::DestroyWindow(tooltip_);
  renderContext_.reset();
  if (paintDc_) ::ReleaseDC(hwnd_, paintDc_);
  if (hwnd_ && ::IsWindow(hwnd_) && !subclassed_) ::DestroyWindow(hwnd_);
}

std::wstring Window::GetWindowClassName() const {
  return L"TarnwickWindow";
}

// Creation.

bool Window::RegisterWindowClass() {
  const std::wstring name = GetWindowClassName();
  if (KnownClasses().count(name)) return true;
  WNDCLASSW wc{};
  wc.style = GetClassStyle();
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = ModuleHandle();
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name.c_str();
  if (!ClassRegistered(::RegisterClassW(&wc))) return false;
  KnownClasses().insert(name);
  return true;
}

bool Window::RegisterSuperClass() {
  const std::wstring super = GetSuperClassName();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!::GetClassInfoExW(nullptr, super.c_str(), &wc) &&
      !::GetClassInfoExW(ModuleHandle(), super.c_str(), &wc)) {
    return false;
  }
  previousProc_ = wc.lpfnWndProc;
  const std::wstring name = GetWindowClassName();
  wc.lpfnWndProc = SubclassProc;
  wc.hInstance = ModuleHandle();
  wc.lpszClassName = name.c_str();
  return ClassRegistered(::RegisterClassExW(&wc));
}

HWND Window::CreateNativeWindow(HWND parent, const std::wstring& title, DWORD style, DWORD exStyle,
                                bool layered, const UiRect& rect) {
  const bool registered =
      GetSuperClassName().empty() ? RegisterWindowClass() : RegisterSuperClass();
  if (!registered) return nullptr;
  layered_ = layered;
  if (layered) exStyle |= WS_EX_LAYERED;
  const std::wstring name = GetWindowClassName();
  const HWND hwnd =
      ::CreateWindowExW(exStyle, name.c_str(), title.c_str(), style, rect.left, rect.top,
                        rect.Width(), rect.Height(), parent, nullptr, ModuleHandle(), this);
  if (!hwnd) return nullptr;
  hwnd_ = hwnd;
  const LONG created = ::GetWindowLongW(hwnd, GWL_STYLE);
  if (created & WS_CAPTION) ::SetWindowLongW(hwnd, GWL_STYLE, created & ~WS_CAPTION);
  return hwnd;
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = nullptr;
  if (message == WM_NCCREATE) {
    window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    window->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  } else {
    window = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  return Dispatch(window, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Window::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = nullptr;
  if (message == WM_NCCREATE) {
    window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    window->hwnd_ = hwnd;
    window->subclassed_ = true;
    ::SetPropW(hwnd, kWindowProperty, window);
  } else {
    window = static_cast<Window*>(::GetPropW(hwnd, kWindowProperty));
  }
  return Dispatch(window, hwnd, message, wParam, lParam);
}

LRESULT Window::Dispatch(Window* window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  if (message != WM_NCDESTROY) return window->HandleNativeMessage(message, wParam, lParam);
  const LRESULT result = ::CallWindowProcW(window->previousProc_, hwnd, message, wParam, lParam);
  if (window->subclassed_) {
    ::RemovePropW(hwnd, kWindowProperty);
  } else {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  }
  window->OnFinalMessage(hwnd);
  return result;
}

void Window::InitWindow(HWND hwnd) {
  hwnd_ = hwnd;
  if (!paintDc_) paintDc_ = ::GetDC(hwnd);
  if (!renderContext_) renderContext_ = UiRegistry::CreateRenderContext();
  // Without the system's touch input the window stays a mouse window.
  if (!touchRegistered_) touchRegistered_ = RegisterTouch(hwnd);
}

void Window::OnFinalMessage(HWND hwnd) {
  if (touchRegistered_) UnregisterTouch(hwnd);
  touchRegistered_ = false;
  EventArgs args;
  args.type = kEventWindowClose;
  args.timestamp = ::GetTickCount();
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  bool result = true;
  RunTypeAndAllHandlers(windowHandlers_, &args, alive, &result);
}

LRESULT Window::HandleNativeMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = hwnd_;
  const WNDPROC previous = previousProc_;
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  bool handled = false;
  const LRESULT result = HandleMessage(message, wParam, lParam, &handled);
  if (handled) return result;
  // The window object may be gone; its native window still wants an answer.
  if (alive.expired()) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  return ::CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

// Showing, closing and positioning.

void Window::ShowNativeWindow(bool show, bool takeFocus) {
  if (!::IsWindow(hwnd_)) return;
  ::ShowWindow(hwnd_, !show ? SW_HIDE : (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE));
}

void Window::CloseWindow(UINT result) {
  if (!root_) {
    ::PostMessageW(hwnd_, WM_CLOSE, result, 0);
    return;
  }
  FadeRoot()->SetFadeVisible(false);
  const HWND hwnd = hwnd_;
  // The close waits for the root's fade; the timer dies with the window.
  TimerQueue::Instance().Schedule(
      *this, [hwnd, result] { ::PostMessageW(hwnd, WM_CLOSE, result, 0); }, 300, 0);
}

void Window::SetMinSize(int cx, int cy) {
  const UiRect band = shadow_.IsAttached() ? shadow_.GetCorner() : UiRect{};
  const DpiScaler& scaler = UiRegistry::GetDpiScaler();
  minSize_.cx = cx ? scaler.ScaleLength(cx) + band.left + band.right : 0;
  minSize_.cy = cy ? scaler.ScaleLength(cy) + band.top + band.bottom : 0;
}

void Window::SetMaxSize(int cx, int cy) {
  const UiRect band = shadow_.IsAttached() ? shadow_.GetCorner() : UiRect{};
  const DpiScaler& scaler = UiRegistry::GetDpiScaler();
  maxSize_.cx = cx ? scaler.ScaleLength(cx) + band.left + band.right : 0;
  maxSize_.cy = cy ? scaler.ScaleLength(cy) + band.top + band.bottom : 0;
}

bool Window::RescaleContent(int toPercent) {
  const ScaleChange change(contentPercent_, toPercent);
  contentPercent_ = toPercent;
  if (!change.Changes()) return false;
  caption = change.Rect(caption);
  roundCorner = change.Size(roundCorner);
  alphaFixCorner = change.Insets(alphaFixCorner);
  minSize_ = change.Size(minSize_);
  maxSize_ = change.Size(maxSize_);
  initSize_ = change.Size(initSize_);
  if (!root_) return true;
  root_->RescaleLengths(change);
  root_->RelayoutSelf();
  if (hwnd_) {
    ::InvalidateRect(hwnd_, nullptr, FALSE);
    if (layered_) ::PostMessageW(hwnd_, WM_PAINT, 0, 0);
  }
  return true;
}

void Window::SetInitSize(int cx, int cy, bool scale) {
  const UiRect band = shadow_.IsAttached() ? shadow_.GetCorner() : UiRect{};
  const DpiScaler& scaler = UiRegistry::GetDpiScaler();
  initSize_.cx = (scale ? scaler.ScaleLength(cx) : cx) + band.left + band.right;
  initSize_.cy = (scale ? scaler.ScaleLength(cy) : cy) + band.top + band.bottom;
  if (!root_ && ::IsWindow(hwnd_)) {
    ::SetWindowPos(hwnd_, nullptr, 0, 0, initSize_.cx, initSize_.cy,
                   SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  }
}

void Window::SetWindowRect(const UiRect& rect, UINT flags, HWND insertAfter) {
  UiRect r = rect;
  if (shadow_.IsAttached()) {
    const UiRect band = shadow_.GetCorner();
    r = UiRect{r.left - band.left, r.top - band.top, r.right + band.right, r.bottom + band.bottom};
  }
  ::SetWindowPos(hwnd_, insertAfter, r.left, r.top, r.Width(), r.Height(), flags);
}

void Window::CenterWindow() {
  RECT window{};
  ::GetWindowRect(hwnd_, &window);
  const HWND owner = ::GetWindow(hwnd_, GW_OWNER);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT work = monitor.rcWork;
  RECT area = work;
  if (owner && !::IsIconic(owner)) ::GetWindowRect(owner, &area);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  int x = (area.left + area.right) / 2 - width / 2;
  int y = (area.top + area.bottom) / 2 - height / 2;
  if (x < work.left) x = work.left;
  if (x + width > work.right) x = work.right - width;
  if (y < work.top) y = work.top;
  if (y + height > work.bottom) y = work.bottom - height;
  ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::SetWindowAlpha(int alpha) {
  windowAlpha_ = std::clamp(alpha, 0, 255);
  if (root_) InvalidateArea(root_->GetPosition());
}

// The tree and its registries.

bool Window::AttachRoot(Control* root) {
  if (!root) return false;
  if (root == root_) return true;
  SetFocusControl(nullptr);
  keyDown_ = hover_ = eventHover_ = pushed_ = touchCaptured_ = pointerCaptured_ = nullptr;
  if (root_) {
    root_->AttachToWindow(this, nullptr, false);
    QueueDeferredDestroy(root_);
  }
  root_ = root;
  contentPercent_ = UiRegistry::GetDpiScaler().AppliedPercent();
  shadow_.RootReplaced(root);
  needsLayout_ = true;
  // A Tab waiting for the old tree's layout does not carry over to the new one.
  pendingTab_ = false;
  firstLayoutPending_ = true;
  InitSubtree(root, nullptr);
  // The new tree is painted whole.
  if (hwnd_) {
    ::InvalidateRect(hwnd_, nullptr, FALSE);
    if (layered_) ::PostMessageW(hwnd_, WM_PAINT, 0, 0);
  }
  return true;
}

void Window::InitSubtree(Control* control, Box* parent) {
  if (!control) return;
  control->AttachToWindow(this, parent ? parent : control->GetParent(), true);
  RegisterNames(control);
}

void Window::RegisterNames(Control* control) {
  control->FindControl(
      [](Control* c, void* data) -> Control* {
        if (!c->GetName().empty()) static_cast<Window*>(data)->AddNamedControl(c);
        return nullptr;
      },
      this, 0);
}

void Window::AddNamedControl(Control* control) {
  if (!control->GetName().empty()) names_[control->GetName()] = control;
}

Control* Window::FindControlByName(const std::wstring& name) const {
  auto it = names_.find(name);
  return it == names_.end() ? nullptr : it->second;
}

Control* Window::FindSubControlByName(Control* parent, const std::wstring& name) const {
  return FindControlByNameBelow(parent, name);
}

void Window::RequestArrangement(PlaceHolder* control) {
  arrangements_.Add(control);
  needsLayout_ = true;
}

void Window::ForgetControl(Control* control) {
  focus_ = ForgetIfSame(focus_, control);
  hover_ = ForgetIfSame(hover_, control);
  eventHover_ = ForgetIfSame(eventHover_, control);
  pushed_ = ForgetIfSame(pushed_, control);
  keyDown_ = ForgetIfSame(keyDown_, control);
  touchCaptured_ = ForgetIfSame(touchCaptured_, control);
  pointerCaptured_ = ForgetIfSame(pointerCaptured_, control);
  // Another control may have taken the name since.
  auto it = names_.find(control->GetName());
  if (it != names_.end() && it->second == control) names_.erase(it);
  for (auto group = optionGroups_.begin(); group != optionGroups_.end();) {
    auto& list = group->second;
    list.erase(std::remove(list.begin(), list.end(), control), list.end());
    group = list.empty() ? optionGroups_.erase(group) : std::next(group);
  }
}

void Window::QueueDeferredDestroy(Control* control) {
  deferredDestroy_.push_back(control);
  if (hwnd_) ::PostMessageW(hwnd_, kDeferredDestroyMessage, 0, 0);
}

void Window::DestroyDeferredControls() {
  // A destroyed box may queue more controls: take the list out each round.
  while (!deferredDestroy_.empty()) {
    std::vector<Control*> queued;
    queued.swap(deferredDestroy_);
    for (Control* control : queued) delete control;
  }
}

void Window::AddClass(const std::wstring& name, const std::wstring& attributes) {
  windowClasses_[name] = attributes;
}

std::wstring Window::GetClassAttributes(const std::wstring& name) const {
  auto it = windowClasses_.find(name);
  return it == windowClasses_.end() ? std::wstring() : it->second;
}

void Window::SetResourceSubFolder(const std::wstring& folder) {
  resourceSubFolder_ = folder;
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') {
    resourceSubFolder_ += L'\\';
  }
}

UiPoint Window::GetShadowOffset() const {
  if (!shadow_.IsAttached()) return UiPoint{};
  const UiRect band = shadow_.GetCorner();
  return UiPoint{band.left, band.top};
}

bool Window::AddOptionGroup(const std::wstring& group, Control* control) {
  auto& list = optionGroups_[group];
  if (std::find(list.begin(), list.end(), control) != list.end()) return false;
  list.push_back(control);
  return true;
}

const std::vector<Control*>* Window::GetOptionGroup(const std::wstring& group) const {
  auto it = optionGroups_.find(group);
  return it == optionGroups_.end() ? nullptr : &it->second;
}

void Window::RemoveOptionGroup(const std::wstring& group, Control* control) {
  auto it = optionGroups_.find(group);
  if (it == optionGroups_.end()) return;
  auto& list = it->second;
  list.erase(std::remove(list.begin(), list.end(), control), list.end());
  if (list.empty()) optionGroups_.erase(it);
}

void Window::AddMessageFilter(IUIMessageFilter* filter) {
  if (filter) messageFilters_.emplace_back(filter, filter->WeakFlagOf());
}

void Window::RemoveMessageFilter(IUIMessageFilter* filter) {
  for (auto& entry : messageFilters_) {
    if (entry.first == filter) entry.second.reset();
  }
}

void Window::AttachWindowClose(EventHandler handler) {
  AddEventHandler(&windowHandlers_, kEventWindowClose, std::move(handler));
}

void Window::SetTextId(const std::wstring& id) {
  ::SetWindowTextW(hwnd_, UiRegistry::GetLanguageStrings().GetString(id).c_str());
}

// Painting.

void Window::InvalidateArea(const UiRect& rect) {
  // A control not laid out yet has no area: marking it would be a trip to the window system
  // for nothing, and a tree being built makes thousands of such marks.
  if (!hwnd_ || rect.IsEmpty()) return;
  // Controls often mark an area that lies inside one marked since the last paint (the
  // items of a list that scrolled); each mark is a trip to the window system.
  const UiRect& marked = markedSincePaint_;
  if (!marked.IsEmpty() && rect.left >= marked.left && rect.top >= marked.top &&
      rect.right <= marked.right && rect.bottom <= marked.bottom) {
    return;
  }
  if (static_cast<int64_t>(rect.Width()) * rect.Height() >
      static_cast<int64_t>(marked.Width()) * marked.Height()) {
    markedSincePaint_ = rect;
  }
  const RECT r{rect.left, rect.top, rect.right, rect.bottom};
  ::InvalidateRect(hwnd_, &r, FALSE);
  // A layered window gets no paint message of its own.
  if (layered_) ::PostMessageW(hwnd_, WM_PAINT, 0, 0);
}

void Window::OnFirstLayout() {
  if (!root_) return;
  Control* fadeRoot = FadeRoot();
  AnimationPlayer* fade = fadeRoot->GetAnimations().GetPlayer(ControlAnimations::kFadeAlpha);
  if (fade && layered_) {
    // A layered window fades as a whole, shadow included, and its tree needs no surface
    // of its own to blend through.
    fadeRoot->SetAlpha(255);
    SetWindowAlpha(0);
    fade->SetPlayCallback(MakeWeak([this](int alpha) { SetWindowAlpha(alpha); }));
  }
  fadeRoot->SetFadeVisible(true);
}

Control* Window::FadeRoot() const {
  // The shadow's box only frames the layout's root, which carries the window's fades.
  Box* shadowBox = shadow_.GetShadowBox();
  if (shadowBox && shadowBox == root_ && shadowBox->GetCount() > 0) return shadowBox->GetItemAt(0);
  return root_;
}

void Window::ResizeToRootEstimate() {
  UiSize size = root_->EstimateSize(UiSize{99999, 99999});
  size.cx = std::max(size.cx, root_->GetMinWidth());
  if (root_->GetMaxWidth() >= 0) size.cx = std::min(size.cx, root_->GetMaxWidth());
  size.cy = std::max(size.cy, root_->GetMinHeight());
  if (root_->GetMaxHeight() >= 0) size.cy = std::min(size.cy, root_->GetMaxHeight());
  RECT window{};
  ::GetWindowRect(hwnd_, &window);
  ::MoveWindow(hwnd_, window.left, window.top, size.cx, size.cy, TRUE);
}

void Window::LayoutIfNeeded(const UiRect& client) {
  if (!needsLayout_) return;
  needsLayout_ = false;
  if (!client.IsEmpty()) arrangements_.Arrange(root_, client);
  if (firstLayoutPending_) {
    firstLayoutPending_ = false;
    OnFirstLayout();
  }
}

void Window::OnPaint() {
  PAINTSTRUCT ps{};
  // What is marked from here on needs a paint of its own.
  markedSincePaint_ = UiRect{};
  if (::IsIconic(hwnd_) || !root_ || !renderContext_) {
    ::BeginPaint(hwnd_, &ps);
    ::EndPaint(hwnd_, &ps);
    return;
  }
  if (needsLayout_ && root_->IsArrangePending() && root_->HasAutoSize()) ResizeToRootEstimate();
  RECT updateRect{};
  const bool hasUpdate = ::GetUpdateRect(hwnd_, &updateRect, FALSE) != FALSE;
  if (!hasUpdate && !firstLayoutPending_) {
    ::BeginPaint(hwnd_, &ps);
    ::EndPaint(hwnd_, &ps);
    return;
  }
  RECT clientRect{};
  ::GetClientRect(hwnd_, &clientRect);
  const UiRect client{clientRect.left, clientRect.top, clientRect.right, clientRect.bottom};
  ::BeginPaint(hwnd_, &ps);
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  LayoutIfNeeded(client);
  if (alive.expired()) return;
  if (pendingTab_) MoveTabFocus(true);
  if (alive.expired()) return;
  // The update rectangle as it was before BeginPaint: a layered window's paint structure
  // does not describe it.
  UiRect update{updateRect.left, updateRect.top, updateRect.right, updateRect.bottom};
  if (renderContext_->GetWidth() != client.Width() ||
      renderContext_->GetHeight() != client.Height()) {
    renderContext_->Resize(client.Width(), client.Height());
    renderContext_->SetAlphaExact(!shadow_.IsAttached());
    update = client;
  }
  if (update.IsEmpty()) update = client;
  PaintTree(update);
  if (layered_) {
    RepairLayeredAlpha(update);
    RECT window{};
    ::GetWindowRect(hwnd_, &window);
    POINT position{window.left, window.top};
    SIZE size{client.Width(), client.Height()};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(windowAlpha_), AC_SRC_ALPHA};
    ::UpdateLayeredWindow(hwnd_, nullptr, &position, &size, renderContext_->GetDc(), &source, 0,
                          &blend, ULW_ALPHA);
  } else {
    ::BitBlt(ps.hdc, update.left, update.top, update.Width(), update.Height(),
             renderContext_->GetDc(), update.left, update.top, SRCCOPY);
  }
  ::EndPaint(hwnd_, &ps);
}

void Window::PaintTree(const UiRect& update) {
  if (layered_) renderContext_->ResetPixels(update, 0);
  renderContext_->PushClip(update);
  const UiPoint old = renderContext_->OffsetOrigin(renderOffset_.x, renderOffset_.y);
  root_->PaintLayers(*renderContext_, update);
  root_->PaintChildren(*renderContext_, update);
  renderContext_->SetOrigin(old);
  renderContext_->PopClip();
}

// GDI drawing leaves alpha at 0; the window's content is made opaque again, except where
// its corners and its shadow keep the alpha they were painted with.
void Window::RepairLayeredAlpha(const UiRect& update) {
  Box* box = dynamic_cast<Box*>(root_);
  const UiRect content = box ? box->GetContentRect() : root_->GetPosition();
  const bool shadowed = shadow_.IsAttached() && renderOffset_.x == 0 && renderOffset_.y == 0;
  if (!shadowed) {
    const UiRect& c = alphaFixCorner;
    if (c.left <= 0 && c.top <= 0 && c.right <= 0 && c.bottom <= 0) return;
    const UiRect area = UiRect{content.left + c.left, content.top + c.top, content.right - c.right,
                               content.bottom - c.bottom}
                            .Intersection(update);
    if (!area.IsEmpty()) renderContext_->MakeOpaque(area, UiRect{}, 0);
    return;
  }
  const UiRect area = content.Intersection(update);
  if (area.IsEmpty()) return;
  UiRect corners{1, 1, 1, 1};
  if (box) {
    const UiRect padding = box->GetLayout()->GetPadding();
    corners = UiRect{padding.left + 1, padding.top + 1, padding.right + 1, padding.bottom + 1};
  }
  renderContext_->MakeOpaque(area, corners, 0);
}

}  // namespace ui
