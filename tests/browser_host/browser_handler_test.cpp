#include "browser_host/browser_handler.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "browser_host/engine_fixture.h"

namespace browser_host_test {
namespace {

using vok_comp::BrowserHandler;

class BrowserHandlerTest : public EngineFixture {};

TEST_F(BrowserHandlerTest, AfterCreatedMakesTheBrowserCurrentOnTheUiThread) {
  const int id = CreateBrowser("http://site.test/start");
  ASSERT_NE(id, 0);
  auto created = log_.Named("OnAfterCreated");
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0].thread, ui_.Id());
  ASSERT_EQ(log_.Named("UpdateWindowPos").size(), 1u);
  EXPECT_EQ(log_.Named("UpdateWindowPos")[0].thread, ui_.Id());
  EXPECT_EQ(BrowserCount(), 1);
  EXPECT_NE(handler_->GetBrowserHost(), nullptr);
}

TEST_F(BrowserHandlerTest, NotificationsArriveOnTheUiThreadWithTheirArguments) {
  backend_->SetPage("http://site.test/titled", {200, "A title", "", ERR_NONE});
  backend_->SetPage("http://site.test/refused", {0, "", "", ERR_CONNECTION_REFUSED});
  const int id = CreateBrowser("http://site.test/start");
  ASSERT_TRUE(backend_->Navigate(id, "http://site.test/titled", TT_LINK));
  ASSERT_TRUE(backend_->Navigate(id, "http://site.test/refused", TT_LINK));
  ASSERT_TRUE(backend_->Crash(id, TS_PROCESS_CRASHED));
  Settle();

  struct Expected {
    std::string name;
    std::string detail;
  };
  const Expected expected[] = {
      {"OnAddressChange", "http://site.test/titled"},
      {"OnTitleChange", "A title"},
      {"OnLoadStart", "http://site.test/titled"},
      {"OnLoadEnd", "200"},
      {"OnLoadingStateChange", "loading"},
      {"OnLoadingStateChange", "idle"},
      {"OnLoadError", "-102|http://site.test/refused"},
      {"OnRenderProcessTerminated", std::to_string(TS_PROCESS_CRASHED)},
  };
  for (const Expected& want : expected) {
    bool seen = false;
    for (const Call& call : log_.Named(want.name)) {
      EXPECT_EQ(call.thread, ui_.Id()) << want.name << " ran off the UI thread";
      seen = seen || call.detail == want.detail;
    }
    EXPECT_TRUE(seen) << want.name << " never arrived with " << want.detail;
  }
}

TEST_F(BrowserHandlerTest, NotificationsForADestroyedControlAreDropped) {
  const int id = CreateBrowser("http://site.test/start");
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE holding = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> destroyed{false};
  // The control goes away on the UI thread after the engine has posted its notifications.
  std::thread ui([&] {
    ui_.Run([&] {
      SetEvent(holding);
      WaitForSingleObject(release, 20000);
      handler_->SetHandlerDelegate(nullptr);
      delete delegate_;
      delegate_ = nullptr;
      destroyed = true;
    });
  });
  // The UI thread is held before the second page's notifications are posted to it.
  ASSERT_EQ(WaitForSingleObject(holding, 20000), WAIT_OBJECT_0);
  ASSERT_TRUE(backend_->Navigate(id, "http://site.test/late", TT_LINK));
  ASSERT_TRUE(backend_->Settle());
  const size_t before = log_.Named("OnAddressChange").size();
  SetEvent(release);
  ui.join();
  ASSERT_TRUE(destroyed);
  ASSERT_TRUE(ui_.Drain());
  EXPECT_EQ(log_.Named("OnAddressChange").size(), before);
  EXPECT_EQ(log_.Named("OnLoadEnd").size(), 1u) << "only the first page's load may arrive";
  EXPECT_EQ(log_.Named("OnBeforeBrowse").size(), 2u) << "the decision is asked at once";
  CloseHandle(release);
  CloseHandle(holding);
}

TEST_F(BrowserHandlerTest, NavigationIsDecidedOnTheEngineThread) {
  delegate_->cancelNavigation = [](const std::string& url) {
    return url.find("blocked") != std::string::npos;
  };
  const int id = CreateBrowser("http://site.test/start");
  backend_->Navigate(id, "http://site.test/blocked", TT_LINK);
  backend_->Navigate(id, "http://site.test/open", TT_LINK);
  Settle();
  EXPECT_EQ(backend_->RequestsFor("http://site.test/blocked"), 0);
  EXPECT_EQ(backend_->RequestsFor("http://site.test/open"), 1);
  const auto decisions = log_.Named("OnBeforeBrowse");
  ASSERT_EQ(decisions.size(), 3u);
  for (const Call& call : decisions) {
    EXPECT_NE(call.thread, ui_.Id());
    EXPECT_NE(call.thread, GetCurrentThreadId());
  }
}

TEST_F(BrowserHandlerTest, DetachingWaitsForADecisionInFlight) {
  HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const int id = CreateBrowser("http://site.test/start");
  delegate_->onBeforeBrowse = [&] {
    SetEvent(entered);
    WaitForSingleObject(release, 20000);
  };
  std::thread page([&] { backend_->Navigate(id, "http://site.test/slow", TT_LINK); });
  ASSERT_EQ(WaitForSingleObject(entered, 20000), WAIT_OBJECT_0);
  std::atomic<bool> detached{false};
  std::thread ui([&] {
    ui_.Run([&] {
      handler_->SetHandlerDelegate(nullptr);
      detached = true;
      delete delegate_;
      delegate_ = nullptr;
    });
  });
  Sleep(300);
  EXPECT_FALSE(detached) << "the control could be destroyed under a running decision";
  SetEvent(release);
  ui.join();
  page.join();
  EXPECT_TRUE(detached);
  CloseHandle(entered);
  CloseHandle(release);
}

struct PopupCase {
  const char* name;
  bool withDelegate;
  bool delegateOpens;
  const char* target;
  bool gesture;
  bool loaded;
};

class PopupTest : public EngineFixture, public ::testing::WithParamInterface<PopupCase> {};

TEST_P(PopupTest, PopupsNeverOpenAWindow) {
  const PopupCase& c = GetParam();
  delegate_->openPopups = c.delegateOpens;
  if (!c.withDelegate) ui_.Run([this] { handler_->SetHandlerDelegate(nullptr); });
  const int id = CreateBrowser("http://site.test/start");
  ASSERT_TRUE(backend_->OpenPopup(id, c.target, "", c.gesture));
  Settle();
  const std::string target = c.target;
  if (!target.empty()) {
    EXPECT_EQ(backend_->RequestsFor(target), c.loaded ? 1 : 0);
  }
  // The window is told truly whether the user asked for the popup.
  std::vector<std::string> asked;
  for (const Call& call : log_.Named("OnBeforePopup")) asked.push_back(call.detail);
  std::vector<std::string> expected;
  if (c.withDelegate && !target.empty()) {
    expected.push_back(target + (c.gesture ? "|gesture" : "|no gesture"));
  }
  EXPECT_EQ(asked, expected);
  EXPECT_EQ(BrowserCount(), 1) << "a second browser was made";
  EXPECT_EQ(handler_->GetBrowser()->GetIdentifier(), id);
}

INSTANTIATE_TEST_SUITE_P(
    Popups, PopupTest,
    ::testing::Values(PopupCase{"Allowed", true, true, "http://site.test/popup", true, true},
                      PopupCase{"AllowedNoGesture", true, true, "http://site.test/popup", false,
                                true},
                      PopupCase{"Refused", true, false, "http://site.test/popup", true, false},
                      PopupCase{"NoDelegate", false, false, "http://site.test/popup", true, true},
                      PopupCase{"EmptyAddress", true, true, "", true, false}),
    [](const ::testing::TestParamInfo<PopupCase>& info) { return info.param.name; });

TEST(BrowserHandlerAlone, PopupBeforeAnyBrowserIsCancelledAndNotAsked) {
  CallLog log;
  RecordingDelegate delegate(log);
  CefRefPtr<BrowserHandler> handler = new BrowserHandler();
  handler->SetHandlerDelegate(&delegate);
  CefWindowInfo info;
  CefRefPtr<CefClient> client;
  CefBrowserSettings settings;
  CefRefPtr<CefDictionaryValue> extra;
  bool noScript = false;
  EXPECT_TRUE(handler->OnBeforePopup(nullptr, nullptr, "http://site.test/popup", "", WOD_NEW_POPUP,
                                     true, CefPopupFeatures(), info, client, settings, extra,
                                     &noScript));
  EXPECT_EQ(log.Size(), 0u);
  handler->SetHandlerDelegate(nullptr);
}

TEST_F(BrowserHandlerTest, PageDialogsAreSuppressedAtOnce) {
  const int id = CreateBrowser("http://site.test/start");
  for (cef_jsdialog_type_t type : {JSDIALOGTYPE_ALERT, JSDIALOGTYPE_CONFIRM, JSDIALOGTYPE_PROMPT}) {
    const DWORD start = GetTickCount();
    auto result = backend_->ShowDialog(id, type, "question", "default");
    EXPECT_TRUE(result.answered) << type;
    EXPECT_FALSE(result.accepted) << type;
    EXPECT_LT(GetTickCount() - start, 5000u) << "the page waited for a dialog";
  }
}

struct MenuCase {
  const char* name;
  bool withDelegate;
  int typeFlags;
  size_t itemsLeft;
  size_t delegateCalls;
};

class ContextMenuTest : public EngineFixture, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(ContextMenuTest, MenusWithoutAControlAreEmptiedOnPagesOnly) {
  const MenuCase& c = GetParam();
  if (!c.withDelegate) ui_.Run([this] { handler_->SetHandlerDelegate(nullptr); });
  const int id = CreateBrowser("http://site.test/start");
  CefContextMenuParams::Data params;
  params.typeFlags = c.typeFlags;
  params.editable = (c.typeFlags & CM_TYPEFLAG_EDITABLE) != 0;
  auto left = backend_->ContextMenu(id, params, {101, 102, 103});
  EXPECT_EQ(left.size(), c.itemsLeft);
  EXPECT_EQ(log_.Named("OnBeforeContextMenu").size(), c.delegateCalls);
}

INSTANTIATE_TEST_SUITE_P(
    Menus, ContextMenuTest,
    ::testing::Values(MenuCase{"PageWithoutControl", false, CM_TYPEFLAG_PAGE, 0, 0},
                      MenuCase{"FrameWithoutControl", false, CM_TYPEFLAG_FRAME, 0, 0},
                      MenuCase{"EditableWithoutControl", false, CM_TYPEFLAG_EDITABLE, 3, 0},
                      MenuCase{"PageWithControl", true, CM_TYPEFLAG_PAGE, 3, 1}),
    [](const ::testing::TestParamInfo<MenuCase>& info) { return info.param.name; });

TEST(BrowserHandlerAlone, QuotaUpToTwentyMebibytesIsGranted) {
  CefRefPtr<BrowserHandler> handler = new BrowserHandler();
  const struct {
    int64_t size;
    bool granted;
  } cases[] = {
      {0, true}, {1024, true}, {20971520, true}, {20971521, false}, {int64_t(1) << 40, false}};
  for (const auto& c : cases) {
    int answer = -1;
    CefRefPtr<CefRequestCallback> callback =
        new CefRequestCallback([&](bool allow) { answer = allow ? 1 : 0; });
    EXPECT_TRUE(handler->OnQuotaRequest(nullptr, "http://site.test", c.size, callback));
    EXPECT_EQ(answer, c.granted ? 1 : 0) << c.size;
  }
}

TEST(BrowserHandlerAlone, DownloadsAndFileDialogsGoToTheControlOnly) {
  CallLog log;
  RecordingDelegate delegate(log);
  CefRefPtr<BrowserHandler> handler = new BrowserHandler();
  CefRefPtr<CefDownloadItem> item = new CefDownloadItem(CefDownloadItem::Data());
  for (bool attached : {false, true}) {
    handler->SetHandlerDelegate(attached ? &delegate : nullptr);
    std::string path = "not started";
    CefRefPtr<CefBeforeDownloadCallback> start =
        new CefBeforeDownloadCallback([&](const CefString& to, bool) { path = to.ToString(); });
    handler->OnBeforeDownload(nullptr, item, "file.zip", start);
    handler->OnDownloadUpdated(nullptr, item, new CefDownloadItemCallback(nullptr));
    const bool handled = handler->OnFileDialog(nullptr, FILE_DIALOG_OPEN, "Pick", "", {}, 0,
                                               new CefFileDialogCallback(nullptr));
    EXPECT_EQ(path, attached ? "C:\\downloads\\file.zip" : "not started");
    EXPECT_EQ(handled, attached);
    EXPECT_EQ(log.Named("OnDownloadUpdated").size(), attached ? 1u : 0u);
    EXPECT_EQ(log.Named("OnFileDialog").size(), attached ? 1u : 0u);
  }
  handler->SetHandlerDelegate(nullptr);
}

TEST(BrowserHandlerAlone, OnlyCallCppFunctionMessagesReachTheControl) {
  CallLog log;
  RecordingDelegate delegate(log);
  CefRefPtr<BrowserHandler> handler = new BrowserHandler();
  handler->SetHandlerDelegate(&delegate);
  auto message = [](const char* name) {
    CefRefPtr<CefProcessMessage> m = CefProcessMessage::Create(name);
    m->GetArgumentList()->SetString(0, "Save");
    m->GetArgumentList()->SetString(1, "{\"a\":1}");
    m->GetArgumentList()->SetInt(2, 7);
    return m;
  };
  EXPECT_TRUE(handler->OnProcessMessageReceived(nullptr, nullptr, PID_RENDERER,
                                                message("CallCppFunction")));
  EXPECT_FALSE(handler->OnProcessMessageReceived(nullptr, nullptr, PID_RENDERER,
                                                 message("callcppfunction")));
  ASSERT_EQ(log.Named("OnExecuteCppFunc").size(), 1u);
  EXPECT_EQ(log.Named("OnExecuteCppFunc")[0].detail, "Save|{\"a\":1}|7");
  handler->SetHandlerDelegate(nullptr);
  EXPECT_TRUE(
      handler->OnProcessMessageReceived(nullptr, nullptr, PID_RENDERER, message("CallCppFunction")))
      << "a call after the control is gone is still taken, and ignored";
  EXPECT_EQ(log.Named("OnExecuteCppFunc").size(), 1u);
}

TEST(BrowserHandlerAlone, AfterCreatedTasksCanBeUnregistered) {
  vok_comp::UnregistedCallbackList list;
  std::string ran;
  list.AddCallback([&] { ran += "a"; });
  auto unregisterB = list.AddCallback([&] { ran += "b"; });
  list.AddCallback([&] { ran += "c"; });
  unregisterB();
  list.RunAndClear();
  EXPECT_EQ(ran, "ac");
  list.RunAndClear();
  EXPECT_EQ(ran, "ac") << "the list was not cleared";
  std::function<void()> late;
  {
    vok_comp::UnregistedCallbackList gone;
    late = gone.AddCallback([] {});
  }
  late();  // the list is gone: nothing happens
}

}  // namespace
}  // namespace browser_host_test
