// The rich edit's event mapping: framework events become the engine's window messages.
#include <windows.h>

#include <imm.h>
#include <richedit.h>

#include <string>

#include "ui/controls/c_txt_win_host.h"
#include "ui/controls/rich_edit.h"
#include "ui/core/tree/i_control_window.h"
#include "ui/services/on_screen_keyboard_manager.h"

namespace ui {
namespace {

bool KeyHeld(int key) {
  return (::GetKeyState(key) & 0x8000) != 0;
}

bool IsDigit(wchar_t c) {
  return c >= L'0' && c <= L'9';
}

// The clipboard's text, Unicode or, failing that, ANSI in the system code page.
std::wstring ClipboardText(HWND owner) {
  std::wstring text;
  if (!::OpenClipboard(owner)) return text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
      text.assign(chars, wcsnlen(chars, ::GlobalSize(data) / sizeof(wchar_t)));
      ::GlobalUnlock(data);
    }
  } else if (HANDLE ansi = ::GetClipboardData(CF_TEXT)) {
    if (const auto* chars = static_cast<const char*>(::GlobalLock(ansi))) {
      const int length = static_cast<int>(strnlen(chars, ::GlobalSize(ansi)));
      const int size = ::MultiByteToWideChar(CP_ACP, 0, chars, length, nullptr, 0);
      text.resize(size);
      if (size > 0) ::MultiByteToWideChar(CP_ACP, 0, chars, length, &text[0], size);
      ::GlobalUnlock(ansi);
    }
  }
  ::CloseClipboard();
  return text;
}

bool IsPasteKey(std::uint32_t key) {
  return (key == 'V' && KeyHeld(VK_CONTROL)) || (key == VK_INSERT && KeyHeld(VK_SHIFT));
}

}  // namespace

void RichEdit::HandleEvent(EventArgs* args) {
  if (PassOnDisabledMouse(args)) return;
  const int type = args->type;
  const bool focusEvent = type == kEventInternalSetFocus || type == kEventInternalKillFocus;
  if (!host_ || (!IsEnabled() && !focusEvent)) {
    ScrollableBox::HandleEvent(args);
    return;
  }
  switch (type) {
    case kEventInternalSetFocus:
      Control::HandleEvent(args);
      OnFocusGained();
      return;
    case kEventInternalKillFocus:
      Control::HandleEvent(args);
      OnFocusLost();
      return;
    case kEventSetCursor:
      HandleSetCursor(args);
      return;
    case kEventChar:
      HandleChar(args);
      return;
    case kEventKeyDown:
      HandleKeyDown(args);
      return;
    case kEventImeStartComposition:
      imeComposing_ = true;
      PlaceCompositionWindow();
      InvalidateCaret();
      return;
    case kEventImeEndComposition:
      imeComposing_ = false;
      InvalidateCaret();
      return;
    case kEventScrollWheel:
      if (KeyHeld(VK_CONTROL)) return;
      ScrollableBox::HandleEvent(args);
      return;
    default:
      break;
  }
  if (!HandleMouse(args)) ScrollableBox::HandleEvent(args);
}

bool RichEdit::HandleMouse(EventArgs* args) {
  switch (args->type) {
    case kEventMouseMove:
      MouseMessage(WM_MOUSEMOVE, args);
      return true;
    case kEventButtonDown:
    case kEventPointerDown:
      if (LinkAt(args->mousePoint)) {
        SendEvent(kEventLinkClick, 0, 0, 0, 0.0f, args->mousePoint);
        return true;
      }
      if (args->type == kEventPointerDown) OnScreenKeyboardManager::Instance().ShowKeyboard(true);
      MouseMessage(WM_LBUTTONDOWN, args);
      return true;
    case kEventButtonUp:
    case kEventPointerUp:
      MouseMessage(WM_LBUTTONUP, args);
      return true;
    case kEventRButtonDown:
      MouseMessage(WM_RBUTTONDOWN, args);
      return true;
    case kEventRButtonUp:
      MouseMessage(WM_RBUTTONUP, args);
      return true;
    case kEventInternalButtonDown:
    case kEventDoubleClick:
      if (readOnly_) {
        CHARRANGE all{0, -1};
        SendTextMessage(EM_EXSETSEL, 0, reinterpret_cast<std::intptr_t>(&all));
      } else {
        MouseMessage(WM_LBUTTONDBLCLK, args);
      }
      return true;
    default:
      return false;
  }
}

std::intptr_t RichEdit::MouseMessage(unsigned message, EventArgs* args) {
  const int x = args->mousePoint.x - renderOffset_.x;
  const int y = args->mousePoint.y - renderOffset_.y;
  WPARAM keys = 0;
  if (KeyHeld(VK_CONTROL)) keys |= MK_CONTROL;
  if (KeyHeld(VK_SHIFT)) keys |= MK_SHIFT;
  if (message == WM_MOUSEMOVE && KeyHeld(VK_LBUTTON)) keys |= MK_LBUTTON;
  if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) keys |= MK_LBUTTON;
  if (message == WM_RBUTTONDOWN) keys |= MK_RBUTTON;
  keys |= args->wParam & (MK_LBUTTON | MK_RBUTTON | MK_CONTROL | MK_SHIFT);
  return SendTextMessage(message, keys, MAKELPARAM(x, y));
}

void RichEdit::HandleChar(EventArgs* args) {
  const wchar_t character = static_cast<wchar_t>(args->wParam);
  if (swallowReturnChar_ && (character == L'\r' || character == L'\n')) {
    swallowReturnChar_ = false;
    return;
  }
  swallowReturnChar_ = false;
  if (KeyHeld(VK_TAB) && !wantTab_) {
    SendEvent(kEventTab);
    return;
  }
  // Control characters (Backspace, the Ctrl shortcuts) still edit a number-only edit.
  if (numberOnly_ && character >= L' ' && !IsDigit(character)) return;
  SendTextMessage(WM_CHAR, args->wParam, args->lParam);
}

void RichEdit::HandleKeyDown(EventArgs* args) {
  const std::uint32_t key = args->wParam;
  if (key == VK_RETURN && wantReturnMsg_ && !KeyHeld(VK_SHIFT)) {
    const bool ctrl = KeyHeld(VK_CONTROL);
    if (returnMsgWantCtrl_ ? ctrl : !ctrl) {
      swallowReturnChar_ = true;
      SendEvent(kEventReturn);
      return;
    }
  }
  if (numberOnly_ && IsPasteKey(key)) {
    PasteDigits();
    return;
  }
  SendTextMessage(WM_KEYDOWN, args->wParam, args->lParam);
}

// The digits of the clipboard's text replace the selection; the clipboard itself is left as
// it is, with all its formats.
bool RichEdit::PasteDigits() {
  if (readOnly_) return false;
  std::wstring digits;
  for (wchar_t c : ClipboardText(reinterpret_cast<HWND>(GetHostWindow()))) {
    if (IsDigit(c)) digits.push_back(c);
  }
  if (digits.empty()) return false;
  SendTextMessage(EM_REPLACESEL, TRUE, reinterpret_cast<std::intptr_t>(digits.c_str()));
  return true;
}

void RichEdit::HandleSetCursor(EventArgs* args) {
  if (LinkAt(args->mousePoint)) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return;
  }
  const RECT& client = host_->GetClientRect();
  const int x = args->mousePoint.x - renderOffset_.x;
  const int y = args->mousePoint.y - renderOffset_.y;
  HDC dc = ::GetDC(reinterpret_cast<HWND>(GetHostWindow()));
  const HRESULT hr = host_->GetTextServices()->OnTxSetCursor(DVASPECT_CONTENT, -1, nullptr, nullptr,
                                                             dc, nullptr, &client, x, y);
  ::ReleaseDC(reinterpret_cast<HWND>(GetHostWindow()), dc);
  if (FAILED(hr)) ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
}

// Focus.

void RichEdit::OnFocusGained() {
  host_->GetTextServices()->OnTxInPlaceActivate(&host_->GetClientRect());
  SendTextMessage(WM_SETFOCUS, 0, 0);
  StartCaret();
  Invalidate();
}

void RichEdit::OnFocusLost() {
  SendTextMessage(WM_KILLFOCUS, 0, 0);
  StopCaret();
  Invalidate();
  OnScreenKeyboardManager::Instance().ShowKeyboard(false);
}

void RichEdit::PlaceCompositionWindow() {
  HWND window = reinterpret_cast<HWND>(GetHostWindow());
  HIMC context = window ? ::ImmGetContext(window) : nullptr;
  if (!context) return;
  COMPOSITIONFORM form{};
  form.dwStyle = CFS_POINT;
  form.ptCurrentPos.x = std::max(caretX_ + renderOffset_.x, rect_.left + 1);
  form.ptCurrentPos.y = std::max(caretY_ + renderOffset_.y, rect_.top + 1);
  ::ImmSetCompositionWindow(context, &form);
  ::ImmReleaseContext(window, context);
}

// Notifications of the engine.

void RichEdit::OnEngineNotify(unsigned code, void* data) {
  HWND window = reinterpret_cast<HWND>(GetHostWindow());
  switch (code) {
    case EN_CHANGE:
      SendEvent(kEventTextChange);
      return;
    case EN_LINK: {
      auto* link = static_cast<ENLINK*>(data);
      if (!link || link->msg != WM_LBUTTONUP) return;
      SendTextMessage(EM_EXSETSEL, 0, reinterpret_cast<std::intptr_t>(&link->chrg));
      // Sized from the range, with room for the terminating zero.
      const LONG length = std::max<LONG>(link->chrg.cpMax - link->chrg.cpMin, 0);
      std::wstring text(static_cast<size_t>(length) + 1, L'\0');
      SendTextMessage(EM_GETSELTEXT, 0, reinterpret_cast<std::intptr_t>(&text[0]));
      text.resize(wcsnlen(text.c_str(), text.size()));
      const std::wstring trace = L"[Link]" + text + L"\n";
      ::OutputDebugStringW(trace.c_str());
      if (window) {
        link->nmhdr.hwndFrom = window;
        link->nmhdr.idFrom = static_cast<UINT_PTR>(::GetWindowLongPtrW(window, GWLP_ID));
        link->nmhdr.code = EN_LINK;
        ::SendMessageW(window, WM_NOTIFY, link->nmhdr.idFrom, reinterpret_cast<LPARAM>(link));
      }
      return;
    }
    case EN_MSGFILTER:
    case EN_SELCHANGE:
    case EN_DROPFILES:
    case EN_PROTECTED:
    case EN_SAVECLIPBOARD:
    case EN_OLEOPFAILED:
    case EN_OBJECTPOSITIONS:
    case EN_DRAGDROPDONE:
    case EN_STOPNOUNDO:
      if (window && data) {
        auto* header = static_cast<NMHDR*>(data);
        header->hwndFrom = window;
        header->idFrom = static_cast<UINT_PTR>(::GetWindowLongPtrW(window, GWLP_ID));
        header->code = code;
        ::SendMessageW(window, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
      }
      return;
    default:
      return;
  }
}

}  // namespace ui
