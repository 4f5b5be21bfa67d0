#pragma once

// One run of the client in this process for the end-to-end tests and the client benchmark:
// the engine folder (the build's browser with the test site's hosts mapped to a local
// server), the settings files beside the program, the real entry on the calling thread
// and a driver's scenario on another thread. Needs TARNWICK_ENGINE_INI, the build's
// engine.ini.

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/basic_form.h"
#include "app/cef_form.h"
#include "app/cef_game_form.h"
#include "app/client_entry.h"
#include "app/client_startup_services.h"
#include "app/shell_opener.h"
#include "browser_host/cef_native_control.h"
#include "browser_host/toast.h"
#include "engine/http_test_server.h"
#include "engine/process/browser_process.h"
#include "runtime/path_util.h"
#include "runtime/string_util.h"
#include "runtime/thread_registry.h"
#include "ui/controls/rich_edit.h"

namespace client_test {

using engine_test::HttpTestServer;

constexpr DWORD kLongWait = 90 * 1000;  // a browser starting on a loaded machine

inline std::wstring Folder() {
  return kbase::ModuleFolder();
}

inline bool WriteFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  CloseHandle(file);
  return ok;
}

inline bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kLongWait) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

inline int RequestsStartingWith(const HttpTestServer& server, const std::string& prefix) {
  int count = 0;
  for (const std::string& r : server.All()) count += r.compare(0, prefix.size(), prefix) == 0;
  return count;
}

inline RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

struct Colour {
  int r, g, b;
};

// What a window shows at a point of its client area, read back from the screen.
inline Colour ShownAt(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

inline std::ostream& operator<<(std::ostream& out, const Colour& c) {
  return out << "rgb(" << c.r << "," << c.g << "," << c.b << ")";
}

inline bool Near(const Colour& a, const Colour& b) {
  const int tolerance = 48;  // the page's frames are JPEG
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

// One run of the client: its files, the entry on this thread, and the driver's scenario
// on another.
class ClientRun {
 public:
  using Scenario = std::function<void(ClientRun&)>;

  ClientRun(HttpTestServer& server, const std::string& config) : server_(server) {
    const std::wstring browser = engine::BrowserProcess::ConfiguredBrowser(TARNWICK_ENGINE_INI);
    CreateDirectoryW((Folder() + L"cef").c_str(), nullptr);
    ready_ = !browser.empty() &&
             WriteFile(Folder() + L"cef\\engine.ini",
                       "[engine]\nbrowser=" + kbase::WideToUtf8(browser) +
                           "\nswitches=--host-resolver-rules=MAP *.e2e.test 127.0.0.1:" +
                           std::to_string(server.Port()) +
                           " --autoplay-policy=no-user-gesture-required\n") &&
             WriteFile(Folder() + L"service.ini",
                       "[service]\nsite=http://www.e2e.test\npayment=pay.e2e.test\n"
                       "domain=e2e.test\n");
    DeleteFileW((Folder() + L"config.ini").c_str());
    if (!config.empty()) ready_ = ready_ && WriteFile(Folder() + L"config.ini", config);
    ShellOpener::SetOpenFunction([this](const std::wstring& url) {
      std::lock_guard<std::mutex> hold(lock_);
      shellOpened_.push_back(url);
    });
    services_.SetMessageFunction([this](const std::wstring& text, HWND owner) {
      std::lock_guard<std::mutex> hold(lock_);
      messages_.push_back({text, owner});
      messageTimes_.push_back(GetTickCount());
    });
  }
  ~ClientRun() {
    ShellOpener::SetOpenFunction(nullptr);
    DeleteFileW((Folder() + L"config.ini").c_str());
    DeleteFileW((Folder() + L"service.ini").c_str());
  }

  bool Ready() const { return ready_; }

  // A toast window as it was right after it was shown (the UI thread notes it then, so a
  // driver slowed by a busy machine still sees what showed).
  struct ShownToast {
    HWND hwnd = nullptr;
    HWND owner = nullptr;
    std::wstring className;
    bool visible = false;
    std::wstring text;
    RECT rect{};
  };
  // Messages are shown in the client's real toast window as well as recorded; before Run.
  void ShowRealToasts() {
    services_.SetMessageFunction([this](const std::wstring& text, HWND owner) {
      {
        std::lock_guard<std::mutex> hold(lock_);
        messages_.push_back({text, owner});
        messageTimes_.push_back(GetTickCount());
      }
      vok_comp::Toast* toast = vok_comp::Toast::ShowToast(text, owner);
      ShownToast shown;
      if (toast && toast->GetHWND()) {
        shown.hwnd = toast->GetHWND();
        shown.owner = GetWindow(shown.hwnd, GW_OWNER);
        wchar_t name[32] = {};
        GetClassNameW(shown.hwnd, name, 32);
        shown.className = name;
        shown.visible = IsWindowVisible(shown.hwnd) != FALSE;
        shown.rect = WindowRect(shown.hwnd);
        if (ui::RichEdit* content = toast->GetContentControl()) shown.text = content->GetText();
      }
      std::lock_guard<std::mutex> hold(lock_);
      toasts_.push_back(shown);
    });
  }
  std::vector<ShownToast> Toasts() {
    std::lock_guard<std::mutex> hold(lock_);
    return toasts_;
  }

  // Runs the entry until the client quits; the scenario runs meanwhile and closes the
  // start window at its end (or the run is ended for it). The entry's result.
  int Run(const Scenario& scenario) {
    std::thread driver([&] {
      scenario(*this);
      EndRun();
    });
    const int result = RunClientEntry(services_);
    driver.join();
    return result;
  }

  // Runs work on the UI thread and waits for it.
  bool OnUi(const std::function<void()>& work) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    auto shared = std::make_shared<std::function<void()>>(work);
    if (!kbase::ThreadRegistry::PostToThread(kbase::kMainThreadId, [done, shared] {
          (*shared)();
          *done = true;
        })) {
      return false;
    }
    return WaitUntil([&] { return done->load(); });
  }

  HWND StartWindow() {
    HWND hwnd = nullptr;
    OnUi([&] {
      if (BasicForm* form = services_.StartWindow()) hwnd = form->GetHWND();
    });
    return hwnd;
  }
  HWND LoginWindow() {
    HWND hwnd = nullptr;
    OnUi([&] {
      BasicForm* form = services_.StartWindow();
      if (CefForm* login = form ? form->LoginWindow() : nullptr) hwnd = login->GetHWND();
    });
    return hwnd;
  }
  HWND GameWindow(std::wstring* url = nullptr) {
    HWND hwnd = nullptr;
    OnUi([&] {
      BasicForm* form = services_.StartWindow();
      if (CefGameForm* game = form ? form->GameWindow() : nullptr) {
        hwnd = game->GetHWND();
        if (url) *url = game->GetGameUrl();
      }
    });
    return hwnd;
  }
  // The native window that shows the login browser's page.
  HWND LoginBrowserWindow() {
    HWND hwnd = nullptr;
    OnUi([&] {
      BasicForm* form = services_.StartWindow();
      CefForm* login = form ? form->LoginWindow() : nullptr;
      auto* control =
          login ? dynamic_cast<vok_comp::CefNativeControl*>(login->GetBrowserControl()) : nullptr;
      if (control) hwnd = control->GetCefHandle();
    });
    return hwnd;
  }
  // Loads an address in the login browser, as a page of its own would; false without one.
  bool LoadInLoginBrowser(const std::string& url) {
    bool loaded = false;
    OnUi([&] {
      BasicForm* form = services_.StartWindow();
      CefForm* login = form ? form->LoginWindow() : nullptr;
      if (!login || !login->GetBrowserControl()) return;
      login->GetBrowserControl()->LoadURL(url);
      loaded = true;
    });
    return loaded;
  }
  // A control's centre in its window's client area.
  POINT ControlCentre(HWND window, const std::wstring& name) {
    POINT centre{-1, -1};
    OnUi([&] {
      BasicForm* form = services_.StartWindow();
      ui::Window* target = nullptr;
      if (form && form->GetHWND() == window) target = form;
      if (form && form->LoginWindow() && form->LoginWindow()->GetHWND() == window)
        target = form->LoginWindow();
      if (form && form->GameWindow() && form->GameWindow()->GetHWND() == window)
        target = form->GameWindow();
      ui::Control* control = target ? target->FindControlByName(name) : nullptr;
      if (!control) return;
      const ui::UiRect rect = control->GetPosition(false);
      centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    });
    return centre;
  }
  // A left click as the mouse makes it.
  static void Click(HWND window, POINT at) {
    const LPARAM point = MAKELPARAM(at.x, at.y);
    PostMessageW(window, WM_MOUSEMOVE, 0, point);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(window, WM_LBUTTONUP, 0, point);
  }

  std::vector<std::wstring> ShellOpened() {
    std::lock_guard<std::mutex> hold(lock_);
    return shellOpened_;
  }
  std::vector<std::pair<std::wstring, HWND>> Messages() {
    std::lock_guard<std::mutex> hold(lock_);
    return messages_;
  }
  // When each message was shown (GetTickCount), in the order of Messages().
  std::vector<DWORD> MessageTimes() {
    std::lock_guard<std::mutex> hold(lock_);
    return messageTimes_;
  }

 private:
  // Closes the start window, as the user does; or, without one, asks the loop to end.
  void EndRun() {
    HWND start = StartWindow();
    if (start) {
      PostMessageW(start, WM_CLOSE, 0, 0);
    } else {
      kbase::ThreadRegistry::PostToThread(kbase::kMainThreadId, [] { PostQuitMessage(0); });
    }
  }

  HttpTestServer& server_;
  ClientStartupServices services_;
  bool ready_ = false;
  std::mutex lock_;
  std::vector<std::wstring> shellOpened_;
  std::vector<std::pair<std::wstring, HWND>> messages_;
  std::vector<DWORD> messageTimes_;
  std::vector<ShownToast> toasts_;
};

}  // namespace client_test
