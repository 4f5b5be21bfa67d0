#include "browser_host/toast.h"

#include <algorithm>
#include <map>

#include "runtime/thread_registry.h"
#include "ui/controls/rich_edit.h"
#include "ui/core/tree/box.h"
#include "ui/services/timer_queue.h"

namespace vok_comp {
namespace {

constexpr DWORD kToastStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;

// The toast on screen for each owner. UI thread only.
std::map<HWND, Toast*>& OpenToasts() {
  static std::map<HWND, Toast*> toasts;
  return toasts;
}

}  // namespace

Toast* Toast::FindForOwner(HWND owner) {
  const auto& toasts = OpenToasts();
  const auto found = toasts.find(owner);
  return found == toasts.end() ? nullptr : found->second;
}

Toast* Toast::ShowToast(const std::wstring& text, HWND owner) {
  if (Toast* open = FindForOwner(owner)) {
    open->SetContent(text);
    open->CenterWindow();
    open->StartAutoClose();
    return open;
  }
  auto* toast = new Toast();
  const std::weak_ptr<kbase::WeakFlag> alive = toast->WeakFlagOf();
  if (!toast->CreateNativeWindow(owner, std::wstring(), kToastStyle, 0, true, ui::UiRect{})) {
    // A window that failed while being made has freed its object with its last message;
    // one that was never made leaves it to be freed here.
    if (!alive.expired()) delete toast;
    return nullptr;
  }
  toast->owner_ = owner;
  OpenToasts()[owner] = toast;
  toast->SetContent(text);
  toast->StartAutoClose();
  toast->CenterWindow();
  toast->ShowNativeWindow(true, true);
  return toast;
}

Toast::~Toast() = default;

void Toast::OnFinalMessage(HWND hwnd) {
  auto& toasts = OpenToasts();
  const auto found = toasts.find(owner_);
  if (found != toasts.end() && found->second == this) toasts.erase(found);
  ui::WindowImplBase::OnFinalMessage(hwnd);
}

void Toast::StartAutoClose() {
  autoCloseFlag_.Revoke();
  auto close = [flag = autoCloseFlag_.WeakFlagOf(), this] {
    if (!flag.expired()) CloseWindow(1);
  };
  // Bound to the window: a toast closed earlier is not reached.
  auto task = MakeWeak(close);
  if (kbase::ThreadRegistry::PostToThreadAfter(task, kAutoCloseMillis * 1000LL)) return;
  // Without a registered UI thread the window's own thread keeps the time.
  ui::TimerQueue::Instance().Schedule(autoCloseFlag_.WeakFlagOf(), task, kAutoCloseMillis, 0);
}

void Toast::OnInitWindow() {
  if (auto* root = dynamic_cast<ui::Box*>(GetRoot())) {
    root->AttachBubbledEvent(ui::kEventClick, MakeWeak([this](ui::EventArgs* args) {
                               if (args->sender && args->sender->GetName() == L"close_btn") {
                                 CloseWindow(1);
                               }
                               return true;
                             }));
  }
  contentControl = dynamic_cast<ui::RichEdit*>(FindControlByName(L"content"));
  closeButton = FindControlByName(L"close_btn");
  // A page's message is shown as it was written, never read as rich text.
  if (contentControl) contentControl->SetRich(false);
}

int Toast::TextWidth() const {
  if (contentControl->GetFixedWidth() > 0) return contentControl->GetFixedWidth();
  // A stretching or self-sizing control would wrap the text at every character.
  const int current = contentControl->GetPosition().Width();
  return current > 0 ? current : kFallbackTextWidth;
}

void Toast::SetContent(const std::wstring& text) {
  if (!contentControl) return;
  contentControl->SetText(text);
  const ui::UiRect padding = contentControl->GetLayout()->GetPadding();
  const int width = TextWidth() - padding.left - padding.right;
  const int height = contentControl->GetNaturalSize(width).cy + padding.top + padding.bottom;
  contentControl->SetFixedHeight(std::max(height, 1));
  FitWindowToLayout();
}

void Toast::FitWindowToLayout() {
  ui::Control* root = GetRoot();
  if (!root || !root->HasAutoSize()) return;
  ui::UiSize size = root->EstimateSize(ui::UiSize{99999, 99999});
  size.cx = std::max(size.cx, root->GetMinWidth());
  size.cy = std::max(size.cy, root->GetMinHeight());
  ::SetWindowPos(GetHWND(), nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT Toast::HandleNativeMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) CloseWindow(1);
      break;
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDBLCLK:
      CloseWindow(1);
      break;
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
      if (lParam != -1 && closeButton && !closeButton->IsVisible()) {
        closeButton->SetFadeVisible(true);
      }
      break;
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE: {
      POINT cursor{};
      ::GetCursorPos(&cursor);
      ::ScreenToClient(GetHWND(), &cursor);
      RECT inner{};
      ::GetClientRect(GetHWND(), &inner);
      // The outermost pixel counts as outside: a mouse leaving over the border has left.
      ::InflateRect(&inner, -1, -1);
      if (closeButton && !::PtInRect(&inner, cursor)) closeButton->SetFadeVisible(false);
      break;
    }
    default:
      break;
  }
  return ui::WindowImplBase::HandleNativeMessage(message, wParam, lParam);
}

}  // namespace vok_comp
