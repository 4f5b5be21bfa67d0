// Browser controls in real windows over the scripted engine: the child window follows the
// control, addresses load before and after the browser exists, and the control's state
// goes with its browser.

#include "browser_host/cef_native_control.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "browser_host/cef_manager.h"
#include "browser_host/control_fixture.h"
#include "browser_host/engine_fixture.h"
#include "browser_host/render_crash_policy.h"
#include "browser_host/ui_thread.h"
#include "engine/cef/cef_app.h"
#include "engine/core/browser_impl.h"
#include "engine/core/engine_core.h"
#include "engine/scripted/scripted_backend.h"
#include "runtime/string_util.h"
#include "ui/core/tree/box.h"

namespace browser_host_test {
namespace {

using vok_comp::CefNativeControl;

// The scripted engine, a UI thread that pumps windows, and the browser skins.
class NativeControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = StartScriptedEngine(new PlainApp());
    ASSERT_TRUE(backend_);
    windows_.Start();
  }

  void TearDown() override {
    windows_.Stop();
    EXPECT_TRUE(WaitFor([&] { return BrowserCount() == 0; }));
    CefShutdown();
    engine::UseBackend(nullptr);
    ui_.Drain();
  }

  int BrowserCount() {
    int count = -1;
    ui_.Run([&] { count = vok_comp::CefManager::GetInstance()->BrowserCount(); });
    return count;
  }

  // The page's browser identifier once it exists (0 when it did not come).
  int BrowserOf(BrowserWindow* window) {
    int id = 0;
    WaitFor([&] {
      windows_.WithPage(window, [&](CefNativeControl& page) {
        CefRefPtr<CefBrowser> browser = page.GetBrowser();
        id = browser ? browser->GetIdentifier() : 0;
      });
      return id != 0;
    });
    Settle();
    return id;
  }

  HWND PageWindow(BrowserWindow* window) {
    HWND hwnd = nullptr;
    windows_.WithPage(window, [&](CefNativeControl& page) { hwnd = page.GetCefHandle(); });
    return hwnd;
  }

  RECT ControlRect(BrowserWindow* window) {
    ui::UiRect rect;
    windows_.WithPage(window, [&](CefNativeControl& page) { rect = page.GetPosition(); });
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
  }

  void Settle() {
    ASSERT_TRUE(backend_->Settle());
    ASSERT_TRUE(ui_.Drain());
  }

  UiThread ui_{kbase::kUILoop};
  WindowHost windows_{ui_};
  std::shared_ptr<engine::ScriptedBackend> backend_;
};

TEST_F(NativeControlTest, AddressesAskedForBeforeTheBrowserExistsLoadInOrderOnceItDoes) {
  BrowserWindow* window = windows_.Open([](BrowserWindow& w) {
    w.page->LoadURL("http://site.test/first");
    w.page->LoadURL("http://site.test/second");
  });
  ASSERT_TRUE(window);
  const int id = BrowserOf(window);
  ASSERT_NE(id, 0);
  ASSERT_TRUE(WaitFor([&] { return backend_->RequestsFor("http://site.test/second") == 1; }));
  const std::vector<std::string> requests = backend_->Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], "http://site.test/first");
  EXPECT_EQ(requests[1], "http://site.test/second");
  // One control, one browser: the tree's repeated attachment made no second one.
  EXPECT_EQ(BrowserCount(), 1);
  const HWND page = PageWindow(window);
  ASSERT_TRUE(page);
  EXPECT_EQ(::GetParent(page), window->GetHWND());
  EXPECT_TRUE(SameRect(ChildRect(page), RECT{0, 40, 400, 300}));
  EXPECT_TRUE(::GetWindowLongW(window->GetHWND(), GWL_STYLE) & WS_CLIPCHILDREN);
}

TEST_F(NativeControlTest, ThePageWindowFollowsTheControlAndShrinksInPlaceWhenHidden) {
  BrowserWindow* window = windows_.Open();
  ASSERT_TRUE(window);
  ASSERT_NE(BrowserOf(window), 0);
  const HWND page = PageWindow(window);
  ASSERT_TRUE(page);
  ui_.Run([&] {
    ::SetWindowPos(window->GetHWND(), nullptr, 0, 0, 600, 500, SWP_NOMOVE | SWP_NOZORDER);
    ::UpdateWindow(window->GetHWND());
  });
  EXPECT_TRUE(SameRect(ControlRect(window), RECT{0, 40, 600, 500}));
  EXPECT_TRUE(SameRect(ChildRect(page), RECT{0, 40, 600, 500}));

  windows_.WithPage(window, [](CefNativeControl& c) { c.SetFadeVisible(false); });
  EXPECT_TRUE(SameRect(ChildRect(page), RECT{0, 40, 0, 40}));
  // The layout places hidden controls no more; a position given anyway keeps it hidden.
  windows_.WithPage(window, [](CefNativeControl& c) {
    c.SetPosition(ui::UiRect{0, 40, 600, 500});
  });
  EXPECT_TRUE(SameRect(ChildRect(page), RECT{0, 40, 0, 40}));
  windows_.WithPage(window, [](CefNativeControl& c) { c.SetFadeVisible(true); });
  EXPECT_TRUE(SameRect(ChildRect(page), RECT{0, 40, 600, 500}));
  EXPECT_TRUE(::IsWindowVisible(page));

  // A hidden parent box hides the page too.
  windows_.WithPage(window, [](CefNativeControl& c) { c.GetParent()->SetVisible(false); });
  EXPECT_TRUE(SameRect(ChildRect(page), RECT{0, 40, 0, 40}));
  windows_.WithPage(window, [](CefNativeControl& c) { c.GetParent()->SetVisible(true); });
  EXPECT_TRUE(SameRect(ChildRect(page), RECT{0, 40, 600, 500}));
}

TEST_F(NativeControlTest, AHiddenControlsPageIsMadeHidden) {
  BrowserWindow* window = windows_.Open([](BrowserWindow& w) { w.page->SetVisible(false); });
  ASSERT_TRUE(window);
  ASSERT_NE(BrowserOf(window), 0);
  const HWND page = PageWindow(window);
  ASSERT_TRUE(page);
  const RECT hidden = ChildRect(page);
  EXPECT_TRUE(!::IsWindowVisible(page) ||
              (hidden.right == hidden.left && hidden.bottom == hidden.top));
  windows_.WithPage(window, [](CefNativeControl& c) { c.SetVisible(true); });
  EXPECT_TRUE(::IsWindowVisible(page));
  ui_.Run([&] { ::UpdateWindow(window->GetHWND()); });
  EXPECT_TRUE(SameRect(ChildRect(page), RECT{0, 40, 400, 300}));
}

TEST_F(NativeControlTest, BackForwardAndReloadGoToTheBrowserAndDoNothingWithoutOne) {
  BrowserWindow* window = windows_.Open([](BrowserWindow& w) {
    // No browser yet: these do nothing rather than wait for one.
    w.page->GoBack();
    w.page->GoForward();
    w.page->Reload();
    w.page->LoadURL("http://site.test/a");
  });
  ASSERT_TRUE(window);
  const int id = BrowserOf(window);
  ASSERT_TRUE(WaitFor([&] { return backend_->RequestsFor("http://site.test/a") == 1; }));
  windows_.WithPage(window, [](CefNativeControl& c) { c.LoadURL("http://site.test/b"); });
  ASSERT_TRUE(WaitFor([&] { return backend_->RequestsFor("http://site.test/b") == 1; }));
  windows_.WithPage(window, [](CefNativeControl& c) { c.GoBack(); });
  ASSERT_TRUE(WaitFor([&] { return backend_->RequestsFor("http://site.test/a") == 2; }));
  windows_.WithPage(window, [](CefNativeControl& c) { c.GoForward(); });
  ASSERT_TRUE(WaitFor([&] { return backend_->RequestsFor("http://site.test/b") == 2; }));
  windows_.WithPage(window, [](CefNativeControl& c) { c.Reload(); });
  ASSERT_TRUE(WaitFor([&] { return backend_->RequestsFor("http://site.test/b") == 3; }));
  EXPECT_EQ(backend_->Requests().size(), 5u);
  windows_.WithPage(window, [](CefNativeControl& c) { c.SetAudioMuted(true); });
  Settle();
  EXPECT_TRUE(backend_->IsMuted(id));
}

TEST_F(NativeControlTest, AMainAddressChangeOnlyInItsFragmentIsNoNewAddress) {
  std::vector<std::wstring> urls;
  std::vector<std::string> mainChanges;
  BrowserWindow* window = windows_.Open([&](BrowserWindow& w) {
    w.page->SetUrlChangeCallback([&](const std::wstring& url) { urls.push_back(url); });
    w.page->SetMainUrlChangeCallback([&](const CefString& from, const CefString& to) {
      mainChanges.push_back(from.ToString() + " > " + to.ToString());
    });
  });
  ASSERT_TRUE(window);
  const int id = BrowserOf(window);
  ASSERT_TRUE(backend_->Navigate(id, "http://site.test/p#one", TT_LINK));
  ASSERT_TRUE(backend_->NavigateInDocument(id, "http://site.test/p#two"));
  ASSERT_TRUE(backend_->Navigate(id, "http://site.test/q", TT_LINK));
  Settle();
  std::vector<std::string> seen;
  ui_.Run([&] { seen = mainChanges; });
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], " > http://site.test/p#one");
  EXPECT_EQ(seen[1], "http://site.test/p#two > http://site.test/q");
  std::vector<std::wstring> all;
  ui_.Run([&] { all = urls; });
  EXPECT_EQ(all, (std::vector<std::wstring>{L"http://site.test/p#one", L"http://site.test/p#two",
                                            L"http://site.test/q"}));
}

// Every callback a window may set hears its event: notifications on the UI thread, decisions
// at once on the thread the engine asks on, whose answer the engine then follows.
TEST_F(NativeControlTest, WindowCallbacksHearTheirEventsOnTheirThreads) {
  CallLog log;
  BrowserWindow* window = windows_.Open([&](BrowserWindow& w) {
    CefNativeControl& c = *w.page;
    c.SetAfterCreatedCallback([&](CefRefPtr<CefBrowser>) { log.Add("AfterCreated", ""); });
    c.SetTitleChangeCallback(
        [&](const std::wstring& title) { log.Add("TitleChange", kbase::WideToUtf8(title)); });
    c.SetUrlChangeCallback(
        [&](const std::wstring& url) { log.Add("UrlChange", kbase::WideToUtf8(url)); });
    c.SetMainUrlChangeCallback(
        [&](const CefString&, const CefString& to) { log.Add("MainUrlChange", to.ToString()); });
    c.SetLoadingStateChangeCallback(
        [&](bool loading, bool, bool) { log.Add("LoadingStateChange", loading ? "on" : "off"); });
    c.SetLoadStartCallback([&] { log.Add("LoadStart", ""); });
    c.SetLoadEndCallback([&](int status) { log.Add("LoadEnd", std::to_string(status)); });
    c.SetLoadErrorCallback([&](cef_errorcode_t code, const CefString&, const CefString& url) {
      log.Add("LoadError", std::to_string(code) + "|" + url.ToString());
    });
    c.SetBeforeNavigateCallback(
        [&](CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefRequest> request, bool) {
          const std::string url = request->GetURL().ToString();
          log.Add("BeforeNavigate", url);
          return url.find("blocked") != std::string::npos;
        });
    c.SetBeforePopupCallback([&](const std::wstring& url, bool gesture) {
      log.Add("BeforePopup", kbase::WideToUtf8(url) + (gesture ? "|gesture" : "|no gesture"));
      return true;
    });
    c.SetBeforeContextMenuCallback(
        [&](CefRefPtr<CefContextMenuParams>, CefRefPtr<CefMenuModel> model) {
          log.Add("BeforeContextMenu", std::to_string(model->GetCount()));
        });
    c.SetContextMenuCommandCallback(
        [&](CefRefPtr<CefContextMenuParams>, int command, cef_event_flags_t) {
          log.Add("ContextMenuCommand", std::to_string(command));
          return true;
        });
    c.SetBeforeDownloadCallback([&](CefRefPtr<CefBrowser>, CefRefPtr<CefDownloadItem>,
                                    const CefString& name,
                                    CefRefPtr<CefBeforeDownloadCallback> callback) {
      log.Add("BeforeDownload", name.ToString());
      callback->Continue("C:\\downloads\\" + name.ToString(), false);
    });
    c.SetDownloadUpdatedCallback(
        [&](CefRefPtr<CefBrowser>, CefRefPtr<CefDownloadItem>, CefRefPtr<CefDownloadItemCallback>) {
          log.Add("DownloadUpdated", "");
        });
    c.SetFileDialogCallback([&](cef_file_dialog_mode_t, const CefString& title, const CefString&,
                                const std::vector<CefString>&, int,
                                CefRefPtr<CefFileDialogCallback>) {
      log.Add("FileDialog", title.ToString());
      return true;
    });
    c.SetBeforeCloseCallback([&](CefRefPtr<CefBrowser>) { log.Add("BeforeClose", ""); });
  });
  ASSERT_TRUE(window);
  const int id = BrowserOf(window);
  ASSERT_NE(id, 0);
  backend_->SetPage("http://site.test/titled", {200, "A title", "", ERR_NONE});
  backend_->SetPage("http://site.test/refused", {0, "", "", ERR_CONNECTION_REFUSED});
  ASSERT_TRUE(backend_->Navigate(id, "http://site.test/titled", TT_LINK));
  ASSERT_TRUE(backend_->Navigate(id, "http://site.test/refused", TT_LINK));
  ASSERT_TRUE(backend_->Navigate(id, "http://site.test/blocked", TT_LINK));
  ASSERT_TRUE(backend_->OpenPopup(id, "http://site.test/popup", "", true));
  CefContextMenuParams::Data menu;
  menu.typeFlags = CM_TYPEFLAG_PAGE;
  EXPECT_EQ(backend_->ContextMenu(id, menu, {101, 102}).size(), 2u)
      << "a control's window leaves the engine's menu alone";
  Settle();
  EXPECT_EQ(backend_->RequestsFor("http://site.test/blocked"), 0);
  EXPECT_EQ(backend_->RequestsFor("http://site.test/popup"), 1);

  // The engine's other decisions, asked here as the engine asks them.
  CefRefPtr<CefClient> client;
  windows_.WithPage(window, [&](CefNativeControl& c) { client = c.GetBrowserHost()->GetClient(); });
  ASSERT_TRUE(client);
  CefRefPtr<CefBrowser> browser = nullptr;
  windows_.WithPage(window, [&](CefNativeControl& c) { browser = c.GetBrowser(); });
  std::string path = "not started";
  client->GetDownloadHandler()->OnBeforeDownload(
      browser, new CefDownloadItem(CefDownloadItem::Data()), "file.zip",
      new CefBeforeDownloadCallback([&](const CefString& to, bool) { path = to.ToString(); }));
  EXPECT_EQ(path, "C:\\downloads\\file.zip");
  client->GetDownloadHandler()->OnDownloadUpdated(
      browser, new CefDownloadItem(CefDownloadItem::Data()), new CefDownloadItemCallback(nullptr));
  EXPECT_TRUE(client->GetDialogHandler()->OnFileDialog(browser, FILE_DIALOG_OPEN, "Pick", "", {}, 0,
                                                       new CefFileDialogCallback(nullptr)));
  EXPECT_TRUE(client->GetContextMenuHandler()->OnContextMenuCommand(
      browser, browser->GetMainFrame(), new CefContextMenuParams(menu), 101, EVENTFLAG_NONE));

  windows_.WithPage(window, [](CefNativeControl& c) { c.GetBrowserHost()->CloseBrowser(true); });
  ASSERT_TRUE(WaitFor([&] { return !log.Named("BeforeClose").empty(); }));

  struct Expected {
    const char* name;
    const char* detail;
    bool onUi;
  };
  const Expected expected[] = {
      {"AfterCreated", "", true},
      {"TitleChange", "A title", true},
      {"UrlChange", "http://site.test/titled", true},
      {"MainUrlChange", "http://site.test/titled", true},
      {"LoadingStateChange", "on", true},
      {"LoadingStateChange", "off", true},
      {"LoadStart", "", true},
      {"LoadEnd", "200", true},
      {"LoadError", "-102|http://site.test/refused", true},
      {"BeforeClose", "", true},
      {"BeforeNavigate", "http://site.test/blocked", false},
      {"BeforePopup", "http://site.test/popup|gesture", false},
      {"BeforeContextMenu", "2", false},
      {"ContextMenuCommand", "101", false},
      {"BeforeDownload", "file.zip", false},
      {"DownloadUpdated", "", false},
      {"FileDialog", "Pick", false},
  };
  for (const Expected& want : expected) {
    bool seen = false;
    for (const Call& call : log.Named(want.name)) {
      if (want.onUi) {
        EXPECT_EQ(call.thread, ui_.Id()) << want.name << " ran off the UI thread";
      } else {
        EXPECT_NE(call.thread, ui_.Id()) << want.name << " waited for the UI thread";
      }
      seen = seen || call.detail == want.detail;
    }
    EXPECT_TRUE(seen) << want.name << " never heard " << want.detail;
  }
}

TEST_F(NativeControlTest, DeveloperToolsAskedForEarlyOpenOnceTheBrowserExists) {
  std::vector<bool> shown;
  BrowserWindow* window = windows_.Open([&](BrowserWindow& w) {
    w.page->SetDevToolsVisibleChangeCallback([&](bool visible) { shown.push_back(visible); });
    EXPECT_TRUE(w.page->ShowDevTools(nullptr));
    EXPECT_TRUE(w.page->ShowDevTools(nullptr));
    EXPECT_FALSE(w.page->IsDevToolsOpen());
  });
  ASSERT_TRUE(window);
  ASSERT_NE(BrowserOf(window), 0);
  // The page and its tools.
  ASSERT_TRUE(WaitFor([&] { return BrowserCount() == 2; }));
  bool open = false;
  windows_.WithPage(window, [&](CefNativeControl& c) { open = c.IsDevToolsOpen(); });
  EXPECT_TRUE(open);
  windows_.WithPage(window, [&](CefNativeControl& c) { c.CloseDevTools(); });
  ASSERT_TRUE(WaitFor([&] { return BrowserCount() == 1; }));
  ui_.Run([&] { EXPECT_EQ(shown, (std::vector<bool>{true, false})); });
}

TEST_F(NativeControlTest, ClosingToolsThatWereNeverOpenedDoesNothing) {
  std::vector<bool> shown;
  BrowserWindow* window = windows_.Open([&](BrowserWindow& w) {
    w.page->SetDevToolsVisibleChangeCallback([&](bool visible) { shown.push_back(visible); });
  });
  ASSERT_TRUE(window);
  ASSERT_NE(BrowserOf(window), 0);
  ASSERT_TRUE(WaitFor([&] { return BrowserCount() == 1; }));
  windows_.WithPage(window, [](CefNativeControl& c) {
    c.CloseDevTools();
    EXPECT_FALSE(c.IsDevToolsOpen());
  });
  // The page's browser stays, no tools browser came or went, and no one was told.
  windows_.WithPage(window, [](CefNativeControl& c) { EXPECT_TRUE(c.GetBrowser()); });
  EXPECT_EQ(BrowserCount(), 1);
  ui_.Run([&] { EXPECT_TRUE(shown.empty()); });
  // The tools still open afterwards.
  windows_.WithPage(window, [](CefNativeControl& c) { c.ShowDevTools(nullptr); });
  EXPECT_TRUE(WaitFor([&] { return BrowserCount() == 2; }));
  ui_.Run([&] { EXPECT_EQ(shown, (std::vector<bool>{true})); });
}

TEST_F(NativeControlTest, ClosingTheToolsAfterThePageClosedItselfStillClearsTheirState) {
  std::vector<bool> shown;
  BrowserWindow* window = windows_.Open([&](BrowserWindow& w) {
    w.page->SetDevToolsVisibleChangeCallback([&](bool visible) { shown.push_back(visible); });
  });
  ASSERT_TRUE(window);
  ASSERT_NE(BrowserOf(window), 0);
  windows_.WithPage(window, [](CefNativeControl& c) { c.ShowDevTools(nullptr); });
  ASSERT_TRUE(WaitFor([&] { return BrowserCount() == 2; }));
  windows_.WithPage(window,
                    [](CefNativeControl& c) { c.GetBrowser()->GetHost()->CloseBrowser(true); });
  ASSERT_TRUE(WaitFor([&] {
    bool gone = false;
    windows_.WithPage(window, [&](CefNativeControl& c) { gone = !c.GetBrowser(); });
    return gone;
  }));
  windows_.WithPage(window, [](CefNativeControl& c) {
    c.CloseDevTools();
    EXPECT_FALSE(c.IsDevToolsOpen());
  });
  ui_.Run([&] { EXPECT_EQ(shown, (std::vector<bool>{true, false})); });
  // The window may ask for a new browser then.
  windows_.WithPage(window, [](CefNativeControl& c) { c.RecreateBrowserHook(); });
  EXPECT_NE(BrowserOf(window), 0);
  EXPECT_TRUE(WaitFor([&] { return BrowserCount() == 1; }));
}

TEST_F(NativeControlTest, AControlTakenOutOfItsWindowSendsItsPageToTheDesktopAndClosesIt) {
  BrowserWindow* window = windows_.Open();
  ASSERT_TRUE(window);
  ASSERT_NE(BrowserOf(window), 0);
  const HWND page = PageWindow(window);
  HWND parentAfter = nullptr;
  windows_.WithPage(window, [&](CefNativeControl& c) {
    ui::Box* box = c.GetParent();
    box->SetDelayDestroy(false);
    box->Remove(&c);
    // Read at once: the engine closes the window soon after.
    parentAfter = ::GetAncestor(page, GA_PARENT);
  });
  EXPECT_EQ(parentAfter, ::GetDesktopWindow());
  EXPECT_TRUE(WaitFor([&] { return BrowserCount() == 0; }));
  EXPECT_TRUE(::IsWindow(window->GetHWND()));
}

TEST_F(NativeControlTest, DestroyingTheWindowClosesItsBrowser) {
  BrowserWindow* window =
      windows_.Open([](BrowserWindow& w) { w.page->LoadURL("http://site.test/"); });
  ASSERT_TRUE(window);
  ASSERT_NE(BrowserOf(window), 0);
  ASSERT_EQ(BrowserCount(), 1);
  std::vector<int> closed;
  windows_.WithPage(window, [&](CefNativeControl& c) {
    c.SetBeforeCloseCallback(
        [&](CefRefPtr<CefBrowser> b) { closed.push_back(b->GetIdentifier()); });
  });
  ui_.Run([&] { ::DestroyWindow(window->GetHWND()); });
  EXPECT_TRUE(WaitFor([&] { return BrowserCount() == 0; }));
  // The control went with its window: it hears nothing of the close.
  ui_.Run([&] { EXPECT_TRUE(closed.empty()); });
}

TEST_F(NativeControlTest, ABrowserArrivingAfterItsControlWentIsClosed) {
  // The control is taken out of the tree and destroyed in the window's init hook, while its
  // browser is being made.
  BrowserWindow* window = windows_.Open([](BrowserWindow& w) {
    w.page->GetParent()->SetDelayDestroy(false);
    w.page->GetParent()->Remove(w.page);
    w.page = nullptr;
  });
  ASSERT_TRUE(window);
  Settle();
  EXPECT_TRUE(WaitFor([&] { return BrowserCount() == 0; }));
  EXPECT_TRUE(WaitFor([&] { return engine::EngineCore::Get()->Browsers().empty(); }));
}

TEST_F(NativeControlTest, AttachingToNoWindowLeavesThePageWhereItIs) {
  BrowserWindow* window = windows_.Open();
  ASSERT_TRUE(window);
  ASSERT_NE(BrowserOf(window), 0);
  const HWND page = PageWindow(window);
  const LONG style = ::GetWindowLongW(window->GetHWND(), GWL_STYLE);
  windows_.WithPage(window, [](CefNativeControl& c) {
    c.AttachToWindow(nullptr, nullptr, false);
    c.AttachToWindow(c.GetWindow(), nullptr, false);
  });
  EXPECT_EQ(::GetParent(page), window->GetHWND());
  EXPECT_EQ(::GetWindowLongW(window->GetHWND(), GWL_STYLE), style);
}

// A page that keeps bringing its renderer down is loaded again a few times, then a message
// takes its place; a load asked for by the window shows the page again.
TEST_F(NativeControlTest, ARendererThatKeepsDyingGivesWayToAMessage) {
  BrowserWindow* window =
      windows_.Open([](BrowserWindow& w) { w.page->LoadURL("http://site.test/fragile"); });
  ASSERT_TRUE(window);
  const int id = BrowserOf(window);
  ASSERT_TRUE(WaitFor([&] { return backend_->RequestsFor("http://site.test/fragile") == 1; }));
  const int reloads = vok_comp::RenderCrashPolicy::kMaxReloads;
  for (int crash = 1; crash <= reloads + 1; ++crash) {
    ASSERT_TRUE(backend_->Crash(id, TS_PROCESS_CRASHED));
    Settle();
  }
  EXPECT_EQ(backend_->RequestsFor("http://site.test/fragile"), 1 + reloads);
  const HWND page = PageWindow(window);
  bool message = false;
  windows_.WithPage(window, [&](CefNativeControl& c) { message = c.IsShowingCrashMessage(); });
  EXPECT_TRUE(message);
  EXPECT_TRUE(SameRect(ChildRect(page), RECT{0, 40, 0, 40}));
  // The message's backdrop fills the control where the page was.
  ui_.Run([&] { ::UpdateWindow(window->GetHWND()); });
  EXPECT_EQ(OnScreen(window->GetHWND(), 10, 50), RGB(0xF4, 0xF4, 0xF4));
  EXPECT_EQ(OnScreen(window->GetHWND(), 390, 290), RGB(0xF4, 0xF4, 0xF4));
  windows_.WithPage(window, [](CefNativeControl& c) { c.LoadURL("http://site.test/other"); });
  windows_.WithPage(window, [&](CefNativeControl& c) { message = c.IsShowingCrashMessage(); });
  EXPECT_FALSE(message);
  EXPECT_TRUE(SameRect(ChildRect(page), RECT{0, 40, 400, 300}));
}

TEST_F(NativeControlTest, HostFunctionsNeedABrowserAndAnswerThePage) {
  std::vector<std::string> params;
  bool early = true;
  BrowserWindow* window = windows_.Open([&](BrowserWindow& w) {
    early = w.page->RegisterHostFunction(
        L"Echo", [](const std::string&, vok_comp::ReplyFunction) {}, false);
  });
  ASSERT_TRUE(window);
  EXPECT_FALSE(early);
  ASSERT_NE(BrowserOf(window), 0);
  bool registered = false;
  bool twice = true;
  windows_.WithPage(window, [&](CefNativeControl& c) {
    registered = c.RegisterHostFunction(
        L"Echo",
        [&](const std::string& p, vok_comp::ReplyFunction reply) {
          params.push_back(p);
          reply(false, "{\"message\":\"Success.\"}");
        },
        false);
    twice = c.RegisterHostFunction(
        L"Echo", [](const std::string&, vok_comp::ReplyFunction) {}, false);
  });
  EXPECT_TRUE(registered);
  EXPECT_FALSE(twice);
  // The page calls through its frame; the control's bridge runs the function on the UI
  // thread and its answer goes back to the renderer.
  CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create("CallCppFunction");
  message->GetArgumentList()->SetString(0, "Echo");
  message->GetArgumentList()->SetString(1, "\"hello\"");
  message->GetArgumentList()->SetInt(2, 7);
  windows_.WithPage(window, [&](CefNativeControl& c) {
    c.GetBrowser()->GetMainFrame()->SendProcessMessage(PID_BROWSER, message);
  });
  ASSERT_TRUE(WaitFor([&] {
    size_t count = 0;
    ui_.Run([&] { count = params.size(); });
    return count == 1;
  }));
  ui_.Run([&] { EXPECT_EQ(params[0], "\"hello\""); });
}

}  // namespace
}  // namespace browser_host_test
