#include "status_bar.h"

namespace {

const wchar_t kClassName[] = L"TarnwickSkinToolStatusBar";
constexpr int kTextInset = 8;
constexpr int kTextMargin = 4;
constexpr UINT kTextFormat = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_END_ELLIPSIS;

bool RegisterBarClass(WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

StatusBar::StatusBar() {
  font_ = ::CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_SWISS, L"Tahoma");
}

StatusBar::~StatusBar() {
  if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
  if (font_) ::DeleteObject(font_);
}

bool StatusBar::Create(HWND owner) {
  if (hwnd_ && ::IsWindow(hwnd_)) return true;
  if (!RegisterBarClass(&StatusBar::WindowProc)) return false;
  hwnd_ = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, L"skintool", WS_POPUP,
                            0, 0, 1, kHeight, owner, nullptr, ::GetModuleHandleW(nullptr), this);
  return hwnd_ != nullptr;
}

void StatusBar::Show(HWND owner, const RECT& over, const std::wstring& text, Kind kind) {
  if (!Create(owner)) return;
  text_ = text;
  kind_ = kind;
  shown_ = true;
  Follow(owner, over);
  ::InvalidateRect(hwnd_, nullptr, TRUE);
  ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  ::UpdateWindow(hwnd_);
}

void StatusBar::Follow(HWND owner, const RECT& over) {
  if (!hwnd_ || !::IsWindow(hwnd_)) return;
  // The owner keeps the bar above it; a replaced window hands the bar on before it goes.
  ::SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  const int width = over.right - over.left > 1 ? over.right - over.left : 1;
  ::SetWindowPos(hwnd_, HWND_TOP, over.left, over.top, width, HeightFor(width), SWP_NOACTIVATE);
}

int StatusBar::HeightFor(int width) const {
  const HDC dc = ::GetDC(hwnd_);
  const HGDIOBJ oldFont = ::SelectObject(dc, font_ ? font_ : ::GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  RECT text{0, 0, width - 2 * kTextInset, 0};
  ::DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &text, kTextFormat | DT_CALCRECT);
  ::SelectObject(dc, oldFont);
  ::ReleaseDC(hwnd_, dc);
  const int most = kMaxLines * metrics.tmHeight + 2 * kTextMargin;
  const int needed = text.bottom - text.top + 2 * kTextMargin;
  return needed < kHeight ? kHeight : (needed > most ? most : needed);
}

void StatusBar::Hide() {
  shown_ = false;
  text_.clear();
  if (hwnd_ && ::IsWindow(hwnd_)) ::ShowWindow(hwnd_, SW_HIDE);
}

void StatusBar::Paint(HDC dc) const {
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  const HBRUSH brush =
      ::CreateSolidBrush(kind_ == Kind::kFailure ? kFailureColor : kInspectionColor);
  ::FillRect(dc, &client, brush);
  ::DeleteObject(brush);
  const HGDIOBJ oldFont = ::SelectObject(dc, font_ ? font_ : ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, kTextColor);
  RECT text = client;
  text.left += kTextInset;
  text.right -= kTextInset;
  text.top += kTextMargin;
  text.bottom -= kTextMargin;
  ::DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &text, kTextFormat);
  ::SelectObject(dc, oldFont);
}

LRESULT CALLBACK StatusBar::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  const auto* bar = reinterpret_cast<const StatusBar*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;
    case WM_PRINTCLIENT:
      if (bar) bar->Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      const HDC dc = ::BeginPaint(hwnd, &paint);
      if (bar) bar->Paint(dc);
      ::EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}
