#include "ui/core/skin/window_impl_base.h"

#include <windowsx.h>

#include <algorithm>
#include <cwchar>

#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/skin/window_builder.h"
#include "ui/core/tree/box.h"

namespace ui {

namespace {

// WM_DPICHANGED, for builds whose headers predate it.
constexpr UINT kDpiChangedMessage = 0x02E0;
constexpr size_t kFailureTextLimit = 259;
const wchar_t* const kSystemButtons[] = {L"closebtn", L"minbtn", L"maxbtn", L"restorebtn"};

WindowImplBase::SkinBuilder& CurrentSkinBuilder() {
  static WindowImplBase::SkinBuilder builder;
  return builder;
}

WindowImplBase::MessageBoxFunction& CurrentMessageBox() {
  static WindowImplBase::MessageBoxFunction function = [](HWND owner, const wchar_t* text,
                                                          const wchar_t* caption, UINT type) {
    return ::MessageBoxW(owner, text, caption, type);
  };
  return function;
}

}  // namespace

void WindowImplBase::SetSkinBuilder(SkinBuilder builder) {
  CurrentSkinBuilder() = std::move(builder);
}

void WindowImplBase::SetMessageBoxFunction(MessageBoxFunction function) {
  if (!function) {
    function = [](HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
      return ::MessageBoxW(owner, text, caption, type);
    };
  }
  CurrentMessageBox() = std::move(function);
}

std::wstring WindowImplBase::LoadFailureText(const std::wstring& path) {
  std::wstring text = L"Failed to load xml file " + path;
  // A fixed-size text on the screen; a longer path is cut, never written past the buffer.
  if (text.size() > kFailureTextLimit) text.resize(kFailureTextLimit);
  return text;
}

LONG WindowImplBase::GetStyle() const {
  return ::GetWindowLongW(GetHWND(), GWL_STYLE) & ~WS_CAPTION;
}

Control* WindowImplBase::CreateControl(const std::wstring&) {
  return nullptr;
}

void WindowImplBase::OnFinalMessage(HWND hwnd) {
  Window::OnFinalMessage(hwnd);
  // The window owns itself; its destructor takes the control tree with it.
  delete this;
}

LRESULT WindowImplBase::MessageHandler(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

// Creation.

LRESULT WindowImplBase::OnCreate() {
  ::SetWindowLongW(GetHWND(), GWL_STYLE, GetStyle());
  InitWindow(GetHWND());
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  Control* root = BuildSkin();
  if (!root) {
    const std::wstring text = LoadFailureText(GetResourceSubFolder() + GetSkinFile());
    CurrentMessageBox()(nullptr, text.c_str(), L"Fenwyk", MB_ICONHAND);
    return -1;
  }
  AttachRoot(GetShadow().WrapRoot(root));
  OnInitWindow();
  if (alive.expired()) return -1;
  Control* top = GetRoot();
  if (top->HasAutoSize()) {
    UiSize size = top->EstimateSize(UiSize{99999, 99999});
    size.cx = std::max(size.cx, top->GetMinWidth());
    if (top->GetMaxWidth() >= 0) size.cx = std::min(size.cx, top->GetMaxWidth());
    size.cy = std::max(size.cy, top->GetMinHeight());
    if (top->GetMaxHeight() >= 0) size.cy = std::min(size.cy, top->GetMaxHeight());
    ::MoveWindow(GetHWND(), 0, 0, size.cx, size.cy, FALSE);
  }
  WireSystemButtons();
  return 0;
}

Control* WindowImplBase::BuildSkin() {
  SetResourceSubFolder(GetSkinFolder());
  const std::wstring path = GetResourceSubFolder() + GetSkinFile();
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  CreateControlCallback create = [this, alive](const std::wstring& className) -> Control* {
    return alive.expired() ? nullptr : CreateControl(className);
  };
  const SkinBuilder& builder = CurrentSkinBuilder();
  return builder ? builder(path, create, this) : WindowBuilder().Build(path.c_str(), create, this);
}

bool WindowImplBase::RebuildSkin() {
  if (!::IsWindow(GetHWND())) return false;
  // Classes the old layout defined and the new one dropped must not shape the new tree.
  ClearClasses();
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  Control* root = BuildSkin();
  if (!root) return false;
  AttachRoot(GetShadow().WrapRoot(root));
  OnInitWindow();
  if (alive.expired()) return false;
  WireSystemButtons();
  return true;
}

void WindowImplBase::WireSystemButtons() {
  for (const wchar_t* name : kSystemButtons) {
    Control* button = FindControlByName(name);
    if (!button || !button->IsClickTarget()) continue;
    button->AttachEvent(kEventClick,
                        MakeWeak([this](EventArgs* args) { return OnButtonClick(args); }));
  }
}

bool WindowImplBase::OnButtonClick(EventArgs* args) {
  const std::wstring& name = args->sender->GetName();
  Control* maxButton = FindControlByName(L"maxbtn");
  Control* restoreButton = FindControlByName(L"restorebtn");
  if (name == L"closebtn") {
    CloseWindow(1);
  } else if (name == L"minbtn") {
    ::SendMessageW(GetHWND(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else if (name == L"maxbtn") {
    if (maxButton && restoreButton) {
      maxButton->SetFadeVisible(false);
      restoreButton->SetFadeVisible(true);
    }
    ::SendMessageW(GetHWND(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  } else if (name == L"restorebtn") {
    if (maxButton && restoreButton) {
      maxButton->SetFadeVisible(true);
      restoreButton->SetFadeVisible(false);
    }
    ::SendMessageW(GetHWND(), WM_SYSCOMMAND, SC_RESTORE, 0);
  }
  return true;
}

void WindowImplBase::ActivateWindow() {
  const HWND hwnd = GetHWND();
  if (!::IsWindow(hwnd)) return;
  if (::IsIconic(hwnd)) {
    ::ShowWindow(hwnd, SW_RESTORE);
  } else {
    if (!::IsWindowVisible(hwnd)) ::ShowWindow(hwnd, SW_SHOW);
    ::SetForegroundWindow(hwnd);
  }
}

void WindowImplBase::SetTitle(const std::wstring& title) {
  ::SetWindowTextW(GetHWND(), title.c_str());
}

// Message dispatch.

LRESULT WindowImplBase::HandleNativeMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) return OnCreate();
  const HWND hwnd = GetHWND();
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  LRESULT result = 0;
  bool handled = true;
  if (RunHook(message, wParam, lParam, &result, &handled) && handled) return result;
  if (alive.expired()) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  return Window::HandleNativeMessage(message, wParam, lParam);
}

bool WindowImplBase::RunHook(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result,
                             bool* handled) {
  using Hook = LRESULT (WindowImplBase::*)(UINT, WPARAM, LPARAM, bool*);
  Hook hook = nullptr;
  switch (message) {
    case WM_CLOSE:
      hook = &WindowImplBase::OnClose;
      break;
    case WM_DESTROY:
      hook = &WindowImplBase::OnDestroy;
      break;
    case WM_NCACTIVATE:
      hook = &WindowImplBase::OnNcActivate;
      break;
    case WM_NCCALCSIZE:
      hook = &WindowImplBase::OnNcCalcSize;
      break;
    case WM_WINDOWPOSCHANGING:
      hook = &WindowImplBase::OnWindowPosChanging;
      break;
    case WM_NCPAINT:
      hook = &WindowImplBase::OnNcPaint;
      break;
    case WM_NCLBUTTONDBLCLK:
      hook = &WindowImplBase::OnNcLButtonDbClick;
      break;
    case WM_NCHITTEST:
      hook = &WindowImplBase::OnNcHitTest;
      break;
    case WM_GETMINMAXINFO:
      hook = &WindowImplBase::OnGetMinMaxInfo;
      break;
    case WM_MOUSEWHEEL:
      hook = &WindowImplBase::OnMouseWheel;
      break;
    case WM_MOUSEHOVER:
      hook = &WindowImplBase::OnMouseHover;
      break;
    case kDpiChangedMessage:
      hook = &WindowImplBase::OnDpiChanged;
      break;
    case WM_SIZE:
      hook = &WindowImplBase::OnSize;
      break;
    case WM_CHAR:
      hook = &WindowImplBase::OnChar;
      break;
    case WM_SYSCOMMAND:
      hook = &WindowImplBase::OnSysCommand;
      break;
    case WM_KEYDOWN:
      hook = &WindowImplBase::OnKeyDown;
      break;
    case WM_KILLFOCUS:
      hook = &WindowImplBase::OnKillFocus;
      break;
    case WM_SETFOCUS:
      hook = &WindowImplBase::OnSetFocus;
      break;
    case WM_LBUTTONDOWN:
      hook = &WindowImplBase::OnLButtonDown;
      break;
    case WM_LBUTTONUP:
      hook = &WindowImplBase::OnLButtonUp;
      break;
    case WM_MOUSEMOVE:
      hook = &WindowImplBase::OnMouseMove;
      break;
    default:
      return false;
  }
  *result = (this->*hook)(message, wParam, lParam, handled);
  return true;
}

// The hooks.

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool* handled) {
  if (::IsIconic(GetHWND())) {
    *handled = false;
    return 0;
  }
  return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, bool*) {
  return 0;
}

LRESULT WindowImplBase::OnWindowPosChanging(UINT, WPARAM, LPARAM lParam, bool* handled) {
  *handled = false;
  auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
  if (!::IsZoomed(GetHWND()) || !(position->flags & SWP_FRAMECHANGED)) return 0;
  const HMONITOR monitor = ::MonitorFromWindow(GetHWND(), MONITOR_DEFAULTTONEAREST);
  if (monitor == ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY)) return 0;
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!::GetMonitorInfoW(monitor, &info)) return 0;
  position->x = info.rcWork.left;
  position->y = info.rcWork.top;
  position->cx = info.rcWork.right - info.rcWork.left;
  position->cy = info.rcWork.bottom - info.rcWork.top;
  return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool*) {
  return 0;
}

LRESULT WindowImplBase::OnNcLButtonDbClick(UINT, WPARAM, LPARAM, bool*) {
  return 0;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool*) {
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ::ScreenToClient(GetHWND(), &point);
  return HitTest(UiPoint{point.x, point.y});
}

LRESULT WindowImplBase::HitTest(const UiPoint& p) const {
  RECT client{};
  ::GetClientRect(GetHWND(), &client);
  UiRect r{client.left, client.top, client.right, client.bottom};
  if (GetShadow().IsAttached()) {
    const UiRect band = GetShadow().GetCorner();
    r = UiRect{r.left + band.left, r.top + band.top, r.right - band.right, r.bottom - band.bottom};
  }
  const UiRect& s = sizeBox;
  if (!::IsZoomed(GetHWND())) {
    const bool leftCorner = p.x >= r.left && p.x < r.left + s.left;
    const bool rightCorner = p.x > r.right - s.right && p.x <= r.right;
    if (p.y < r.top + s.top) {
      if (p.y < r.top) return HTCLIENT;
      return leftCorner ? HTTOPLEFT : rightCorner ? HTTOPRIGHT : HTTOP;
    }
    if (p.y > r.bottom - s.bottom) {
      if (p.y > r.bottom) return HTCLIENT;
      return leftCorner ? HTBOTTOMLEFT : rightCorner ? HTBOTTOMRIGHT : HTBOTTOM;
    }
    if (p.x < r.left + s.left) return p.x < r.left ? HTCLIENT : HTLEFT;
    if (p.x > r.right - s.right) return p.x > r.right ? HTCLIENT : HTRIGHT;
  }
  const UiRect& c = caption;
  if (p.x < r.left + c.left || p.x >= r.right - c.right || p.y < r.top + c.top ||
      p.y >= r.top + c.bottom) {
    return HTCLIENT;
  }
  Control* control = FindControlAt(p);
  return control && !control->IsClickTarget() ? HTCAPTION : HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool* handled) {
  *handled = false;
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(GetHWND(), MONITOR_DEFAULTTONEAREST), &monitor);
  RECT work = monitor.rcWork;
  ::OffsetRect(&work, -monitor.rcMonitor.left, -monitor.rcMonitor.top);
  if (maximizeRect.Width() > 0 && maximizeRect.Height() > 0) {
    info->ptMaxPosition = POINT{work.left + maximizeRect.left, work.top + maximizeRect.top};
    info->ptMaxSize = POINT{maximizeRect.Width(), maximizeRect.Height()};
  } else {
    info->ptMaxPosition = POINT{work.left, work.top};
    info->ptMaxSize = POINT{work.right - work.left, work.bottom - work.top};
  }
  // The tracking sizes follow, from the window's own handling.
  return 0;
}

LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnDpiChanged(UINT, WPARAM wParam, LPARAM lParam, bool* handled) {
  *handled = false;
  DpiScaler& scaler = UiRegistry::GetDpiScaler();
  const int fontPercent = scaler.AppliedPercent();
  scaler.OnDpiChanged(LOWORD(wParam));
  // Fonts are shared by every window: the first window to see the new scale remakes them.
  if (scaler.AppliedPercent() != fontPercent) UiRegistry::RecreateFonts();
  // Before the shadow, which sets its band from its own unscaled corner.
  RescaleContent(scaler.AppliedPercent());
  GetShadow().DpiChanged();
  // A maximised window keeps its band off; the new extents come back on restore.
  if (::IsZoomed(GetHWND())) GetShadow().MaximizedChanged(true);
  TakeSuggestedRect(reinterpret_cast<const RECT*>(lParam), scaler.enabled());
  return 0;
}

void WindowImplBase::TakeSuggestedRect(const RECT* suggested, bool resize) {
  if (!suggested || ::IsZoomed(GetHWND()) || ::IsIconic(GetHWND())) return;
  // Unscaled content keeps its size at any DPI; only the place follows the system.
  const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (resize ? 0 : SWP_NOSIZE);
  ::SetWindowPos(GetHWND(), nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top, flags);
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM wParam, LPARAM, bool* handled) {
  *handled = false;
  if (wParam == SIZE_MINIMIZED || (roundCorner.cx == 0 && roundCorner.cy == 0)) return 0;
  RECT window{};
  ::GetWindowRect(GetHWND(), &window);
  const HRGN region =
      ::CreateRoundRectRgn(0, 0, window.right - window.left + 1, window.bottom - window.top + 1,
                           roundCorner.cx, roundCorner.cy);
  // The window owns the region from here on.
  ::SetWindowRgn(GetHWND(), region, TRUE);
  return 0;
}

LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool*) {
  if ((wParam & 0xFFF0) == SC_CLOSE) {
    ::SendMessageW(GetHWND(), WM_CLOSE, 0, 0);
    return 0;
  }
  return Window::HandleNativeMessage(message, wParam, lParam);
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

}  // namespace ui
