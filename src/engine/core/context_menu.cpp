#include "engine/core/context_menu.h"

#include <windows.h>

#include <mutex>

#include "engine/core/browser_impl.h"
#include "engine/input/key_table.h"
#include "engine/input/window_input.h"

namespace engine {
namespace {

std::mutex runnerLock;
MenuRunner& Runner() {
  static MenuRunner runner;
  return runner;
}

int NativeMenu(HWND owner, CefRefPtr<CefMenuModel> model, int x, int y) {
  HMENU menu = MakePopupMenu(model);
  if (!menu) return 0;
  // A menu whose owner is not in front never closes when the user clicks elsewhere; the
  // owner is mostly a child window, and only top-level windows come to the front.
  SetForegroundWindow(GetAncestor(owner, GA_ROOT));
  const int chosen = static_cast<int>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, owner, nullptr));
  DestroyMenu(menu);
  return chosen;
}

int ShowMenu(HWND owner, CefRefPtr<CefMenuModel> model, int x, int y) {
  MenuRunner runner;
  {
    std::lock_guard<std::mutex> hold(runnerLock);
    runner = Runner();
  }
  return runner ? runner(owner, model, x, y) : NativeMenu(owner, model, x, y);
}

// The editing items act as their keyboard shortcuts would.
void SendShortcut(BrowserImpl& browser, int virtualKey, int modifiers) {
  KeyInput key;
  key.windowsKeyCode = virtualKey;
  key.modifiers = modifiers;
  KeyName name;
  if (KeyNameOf(virtualKey, (modifiers & MouseInput::kShift) != 0, virtualKey == VK_DELETE, name)) {
    key.key = name.key;
    key.code = name.code;
  }
  if (const char* command = EditingCommand(virtualKey, modifiers)) key.commands.push_back(command);
  browser.SendKey(key);
  key.type = KeyInput::Type::kUp;
  key.commands.clear();
  browser.SendKey(key);
}

void RunDefaultCommand(BrowserImpl& browser, int command) {
  const int ctrl = MouseInput::kControl;
  switch (command) {
    case MENU_ID_BACK:
      return browser.GoBack();
    case MENU_ID_FORWARD:
      return browser.GoForward();
    case MENU_ID_RELOAD:
      return browser.Reload();
    case MENU_ID_RELOAD_NOCACHE:
      return browser.ReloadIgnoreCache();
    case MENU_ID_STOPLOAD:
      return browser.StopLoad();
    case MENU_ID_UNDO:
      return SendShortcut(browser, 'Z', ctrl);
    case MENU_ID_REDO:
      return SendShortcut(browser, 'Y', ctrl);
    case MENU_ID_CUT:
      return SendShortcut(browser, 'X', ctrl);
    case MENU_ID_COPY:
      return SendShortcut(browser, 'C', ctrl);
    case MENU_ID_PASTE:
      return SendShortcut(browser, 'V', ctrl);
    case MENU_ID_DELETE:
      return SendShortcut(browser, VK_DELETE, 0);
    case MENU_ID_SELECT_ALL:
      return SendShortcut(browser, 'A', ctrl);
  }
}

}  // namespace

HMENU MakePopupMenu(CefRefPtr<CefMenuModel> model) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  for (size_t i = 0; i < model->GetCount(); ++i) {
    const int command = model->GetCommandIdAt(i);
    if (command < 0) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(command),
                  model->GetLabelAt(i).ToWString().c_str());
    }
  }
  return menu;
}

void SetMenuRunner(MenuRunner runner) {
  std::lock_guard<std::mutex> hold(runnerLock);
  Runner() = std::move(runner);
}

CefRefPtr<CefMenuModel> DefaultMenuModel(const CefContextMenuParams::Data& params, bool canGoBack,
                                         bool canGoForward, bool loading) {
  CefRefPtr<CefMenuModel> model = CefMenuModel::Create();
  if (params.editable) {
    model->AddItem(MENU_ID_UNDO, L"&Undo");
    model->AddItem(MENU_ID_REDO, L"&Redo");
    model->AddSeparator();
    model->AddItem(MENU_ID_CUT, L"Cu&t");
    model->AddItem(MENU_ID_COPY, L"&Copy");
    model->AddItem(MENU_ID_PASTE, L"&Paste");
    model->AddItem(MENU_ID_DELETE, L"&Delete");
    model->AddSeparator();
    model->AddItem(MENU_ID_SELECT_ALL, L"Select &all");
    return model;
  }
  if (!params.selectionText.empty()) {
    model->AddItem(MENU_ID_COPY, L"&Copy");
    return model;
  }
  if (canGoBack) model->AddItem(MENU_ID_BACK, L"&Back");
  if (canGoForward) model->AddItem(MENU_ID_FORWARD, L"&Forward");
  model->AddItem(loading ? MENU_ID_STOPLOAD : MENU_ID_RELOAD, loading ? L"&Stop" : L"&Reload");
  return model;
}

void RunContextMenu(BrowserImpl& browser, const CefContextMenuParams::Data& data) {
  HWND window = browser.GetWindowHandle();
  if (!window) return;
  CefRefPtr<CefContextMenuHandler> handler = browser.GetClient()->GetContextMenuHandler();
  CefRefPtr<CefContextMenuParams> params = new CefContextMenuParams(data);
  CefRefPtr<CefMenuModel> model =
      DefaultMenuModel(data, browser.CanGoBack(), browser.CanGoForward(), browser.IsLoading());
  CefRefPtr<CefFrame> frame = browser.GetMainFrame();
  if (handler) handler->OnBeforeContextMenu(&browser, frame, params, model);
  if (model->GetCount() == 0) return;
  POINT at = {data.x, data.y};
  ClientToScreen(window, &at);
  const int command = ShowMenu(window, model, at.x, at.y);
  if (command > 0 && !(handler && handler->OnContextMenuCommand(&browser, frame, params, command,
                                                                EVENTFLAG_NONE))) {
    RunDefaultCommand(browser, command);
  }
  if (handler) handler->OnContextMenuDismissed(&browser, frame);
}

}  // namespace engine
