#include "engine/devtools/page_events.h"

#include <map>

#include "engine/core/engine_core.h"
#include "engine/devtools/input_script.h"
#include "engine/devtools/page_script.h"
#include "engine/devtools/page_tracker.h"

namespace engine {
namespace {

cef_errorcode_t ErrorCodeOf(const std::string& text) {
  static const std::map<std::string, cef_errorcode_t> codes = {
      {"net::ERR_ABORTED", ERR_ABORTED},
      {"net::ERR_FAILED", ERR_FAILED},
      {"net::ERR_TIMED_OUT", ERR_TIMED_OUT},
      {"net::ERR_BLOCKED_BY_CLIENT", ERR_BLOCKED_BY_CLIENT},
      {"net::ERR_CONNECTION_CLOSED", ERR_CONNECTION_CLOSED},
      {"net::ERR_CONNECTION_RESET", ERR_CONNECTION_RESET},
      {"net::ERR_CONNECTION_REFUSED", ERR_CONNECTION_REFUSED},
      {"net::ERR_CONNECTION_FAILED", ERR_CONNECTION_FAILED},
      {"net::ERR_NAME_NOT_RESOLVED", ERR_NAME_NOT_RESOLVED},
      {"net::ERR_ADDRESS_UNREACHABLE", ERR_ADDRESS_UNREACHABLE},
      {"net::ERR_INVALID_URL", ERR_INVALID_URL},
      {"net::ERR_UNKNOWN_URL_SCHEME", ERR_UNKNOWN_URL_SCHEME},
      {"net::ERR_UNSAFE_PORT", ERR_UNSAFE_PORT},
      {"net::ERR_TOO_MANY_REDIRECTS", ERR_TOO_MANY_REDIRECTS},
      {"net::ERR_EMPTY_RESPONSE", ERR_EMPTY_RESPONSE},
  };
  auto it = codes.find(text);
  return it == codes.end() ? ERR_FAILED : it->second;
}

cef_log_severity_t SeverityOf(const std::string& type) {
  if (type == "error" || type == "assert") return LOGSEVERITY_ERROR;
  if (type == "warning") return LOGSEVERITY_WARNING;
  if (type == "debug") return LOGSEVERITY_VERBOSE;
  return LOGSEVERITY_INFO;
}

}  // namespace

void PageEvents::OnPageEvent(DevToolsPage& page, BrowserImpl& browser, const std::string& method,
                             const json& params) {
  const bool main = Text(params, "frameId") == page.targetId;
  if (method == "Fetch.requestPaused") {
    OnRequestPaused(page, browser, params);
  } else if (method == "Page.frameStartedLoading" && main) {
    browser.NotifyLoadingState(true, page.canGoBack, page.canGoForward);
  } else if (method == "Page.frameStoppedLoading" && main) {
    StoppedLoading(page);
  } else if (method == "Page.frameNavigated") {
    OnFrameNavigated(page, browser, params);
  } else if (method == "Page.navigatedWithinDocument" && main) {
    browser.NotifyAddress(browser.MainFrame(), Text(params, "url"));
  } else if (method == "Network.requestWillBeSent" && main && Text(params, "type") == "Document") {
    page.mainRequest = Text(params, "requestId");
    page.mainRequestUrl = Text(Member(params, "request"), "url");
    page.mainFailed = false;
  } else if (method == "Network.responseReceived" && main && Text(params, "type") == "Document") {
    page.lastStatus = Member(params, "response").value("status", 0);
  } else if (method == "Network.loadingFailed") {
    OnLoadingFailed(page, browser, params);
  } else if (method == "Page.loadEventFired") {
    // Frames around a navigation's commit can be lost, and a still page sends no more.
    if (page.casting) pages_.ApplyView(page.browserId);
    if (!page.mainFailed) browser.NotifyLoadEnd(browser.MainFrame().get(), page.lastStatus);
  } else if (method == "Page.windowOpen") {
    OnWindowOpen(browser, params);
  } else if (method == "Page.javascriptDialogOpening") {
    OnDialog(page, browser, params);
  } else if (method == "Runtime.consoleAPICalled") {
    OnConsole(browser, params);
  } else if (method == "Runtime.bindingCalled" && Text(params, "name") == kNotifyBinding) {
    json payload = ParseJson(Text(params, "payload"));
    if (payload.is_object() && payload.contains("title")) {
      browser.NotifyTitle(Text(payload, "title"));
    }
  } else if (method == "Runtime.bindingCalled" && Text(params, "name") == kInputBinding) {
    OnInputNotice(page, browser, ParseJson(Text(params, "payload")));
  } else if (method == "Inspector.targetCrashed") {
    pages_.EndPage(page, TS_PROCESS_CRASHED, false);
  } else if (method == "Inspector.targetReloadedAfterCrash") {
    page.gone = page.ended;
  }
}

void PageEvents::Send(const std::string& method, const json& params, const std::string& session) {
  pages_.Connection().Send(method, params, session);
}

CefRefPtr<FrameImpl> PageEvents::FrameOf(DevToolsPage& page, BrowserImpl& browser,
                                         const std::string& frameId) {
  if (frameId == page.targetId) return browser.MainFrame();
  CefRefPtr<FrameImpl>& frame = page.subframes[frameId];
  if (!frame) {
    frame = new FrameImpl(page.browserId, EngineCore::Get()->NextFrameId(), false);
  }
  return frame;
}

void PageEvents::OnFrameNavigated(DevToolsPage& page, BrowserImpl& browser, const json& params) {
  const json& frame = Member(params, "frame");
  const std::string url = Text(frame, "url") + Text(frame, "urlFragment");
  if (Text(frame, "id") != page.targetId || url.rfind("chrome-error:", 0) == 0) return;
  page.mainUrl = url;
  browser.NotifyAddress(browser.MainFrame(), url);
  browser.NotifyLoadStart(browser.MainFrame().get(), TT_EXPLICIT);
}

// What the page reports of the user's input: the cursor, and context menus.
void PageEvents::OnInputNotice(DevToolsPage& page, BrowserImpl& browser, const json& notice) {
  if (!notice.is_object()) return;
  auto cursor = notice.find("cursor");
  if (cursor != notice.end() && cursor->is_string())
    browser.NotifyCursor(cursor->get<std::string>());
  const json& caret = Member(notice, "caret");
  int x = 0;
  int y = 0;
  int height = 0;
  if (ReadCoordinate(caret, "x", x) && ReadCoordinate(caret, "y", y) &&
      ReadCoordinate(caret, "h", height)) {
    browser.NotifyCaret(x, y, height);
  }
  const json& menu = Member(notice, "contextMenu");
  CefContextMenuParams::Data params;
  if (!ReadCoordinate(menu, "x", params.x) || !ReadCoordinate(menu, "y", params.y)) return;
  params.linkUrl = Text(menu, "link");
  params.pageUrl = page.mainUrl;
  params.frameUrl = Text(menu, "frameUrl");
  params.selectionText = Text(menu, "selection");
  params.editable = Flag(menu, "editable");
  params.typeFlags = (Flag(menu, "top") ? CM_TYPEFLAG_PAGE : CM_TYPEFLAG_FRAME) |
                     (params.linkUrl.empty() ? 0 : CM_TYPEFLAG_LINK) |
                     (Flag(menu, "media") ? CM_TYPEFLAG_MEDIA : 0) |
                     (params.selectionText.empty() ? 0 : CM_TYPEFLAG_SELECTION) |
                     (params.editable ? CM_TYPEFLAG_EDITABLE : 0);
  browser.NotifyContextMenuAsked(params);
}

void PageEvents::OnRequestPaused(DevToolsPage& page, BrowserImpl& browser, const json& params) {
  const std::string requestId = Text(params, "requestId");
  if (Text(params, "resourceType") != "Document") {
    Send("Fetch.continueRequest", {{"requestId", requestId}}, page.sessionId);
    return;
  }
  const json& request = Member(params, "request");
  CefRefPtr<CefRequest> cefRequest = CefRequest::Create();
  cefRequest->SetURL(Text(request, "url"));
  cefRequest->SetMethod(Text(request, "method"));
  const std::string frameId = Text(params, "frameId");
  const bool main = frameId == page.targetId;
  cefRequest->SetResourceType(main ? RT_MAIN_FRAME : RT_SUB_FRAME);
  cefRequest->SetTransitionType(Text(request, "method") == "POST" ? TT_FORM_SUBMIT : TT_LINK);
  const bool redirect = params.contains("redirectedRequestId");
  const bool cancel = browser.NotifyBeforeBrowse(FrameOf(page, browser, frameId).get(), cefRequest,
                                                 false, redirect);
  if (cancel) {
    page.cancelled.insert(Text(params, "networkId"));
    Send("Fetch.failRequest", {{"requestId", requestId}, {"errorReason", "Aborted"}},
         page.sessionId);
  } else {
    Send("Fetch.continueRequest", {{"requestId", requestId}}, page.sessionId);
  }
}

void PageEvents::OnLoadingFailed(DevToolsPage& page, BrowserImpl& browser, const json& params) {
  const std::string requestId = Text(params, "requestId");
  if (requestId != page.mainRequest || Text(params, "type") != "Document") return;
  if (page.cancelled.erase(requestId)) return;  // the handler's own cancel
  page.mainFailed = true;
  const std::string error = Text(params, "errorText");
  browser.NotifyLoadError(browser.MainFrame().get(), ErrorCodeOf(error), error,
                          page.mainRequestUrl);
}

namespace {

// Whether the history allows going back and forward. The blank page every browser starts on
// is no place to go back to.
void ReadHistory(const json& result, bool& back, bool& forward) {
  Guarded([&] {
    const json& entries = result.at("entries");
    const int current = result.at("currentIndex").get<int>();
    for (int i = 0; i < current; ++i) back = back || Text(entries[i], "url") != "about:blank";
    forward = current + 1 < static_cast<int>(entries.size());
  });
}

}  // namespace

void PageEvents::StoppedLoading(DevToolsPage& page) {
  auto pages = pages_.shared_from_this();
  auto core = EngineCore::Get();
  const int id = page.browserId;
  auto told = [pages, core, id](const json& result, bool failed) {
    bool back = false, forward = false;
    if (!failed) ReadHistory(result, back, forward);
    core->UiThread().Post([pages, core, id, back, forward] {
      DevToolsPage* page = pages->Find(id);
      CefRefPtr<BrowserImpl> browser = core->FindBrowser(id);
      if (!page || !browser || browser->IsClosing()) return;
      page->canGoBack = back;
      page->canGoForward = forward;
      browser->NotifyLoadingState(false, back, forward);
    });
  };
  pages_.Connection().Send("Page.getNavigationHistory", json::object(), page.sessionId, told);
}

void PageEvents::OnWindowOpen(BrowserImpl& browser, const json& params) {
  CefPopupFeatures features;
  bool hasFeatures = false;
  auto list = params.find("windowFeatures");
  if (list != params.end() && list->is_array()) hasFeatures = !list->empty();
  browser.NotifyBeforePopup(
      browser.MainFrame().get(), Text(params, "url"), Text(params, "windowName"),
      hasFeatures ? WOD_NEW_POPUP : WOD_NEW_FOREGROUND_TAB, Flag(params, "userGesture"), features);
}

void PageEvents::OnDialog(DevToolsPage& page, BrowserImpl& browser, const json& params) {
  const std::string type = Text(params, "type");
  std::shared_ptr<DevToolsConnection> connection = pages_.Connection().shared_from_this();
  const std::string session = page.sessionId;
  auto answer = [connection, session](bool accept, const CefString& input) {
    connection->Send("Page.handleJavaScriptDialog",
                     {{"accept", accept}, {"promptText", input.ToString()}}, session);
  };
  if (type == "beforeunload") return answer(true, CefString());
  const cef_jsdialog_type_t kind = type == "confirm"  ? JSDIALOGTYPE_CONFIRM
                                   : type == "prompt" ? JSDIALOGTYPE_PROMPT
                                                      : JSDIALOGTYPE_ALERT;
  browser.NotifyJsDialog(Text(params, "url"), kind, Text(params, "message"),
                         Text(params, "defaultPrompt"), answer);
}

void PageEvents::OnConsole(BrowserImpl& browser, const json& params) {
  std::string text;
  auto args = params.find("args");
  if (args != params.end() && args->is_array()) {
    for (const json& a : *args) {
      if (!text.empty()) text += ' ';
      if (a.contains("value")) {
        text += a["value"].is_string() ? a["value"].get<std::string>() : a["value"].dump();
      } else {
        text += Text(a, "description");
      }
    }
  }
  std::string source;
  int line = 0;
  const json& trace = Member(params, "stackTrace");
  auto frames = trace.find("callFrames");
  if (frames != trace.end() && frames->is_array() && !frames->empty()) {
    source = Text((*frames)[0], "url");
    line = (*frames)[0].value("lineNumber", 0) + 1;
  }
  browser.NotifyConsole(SeverityOf(Text(params, "type")), text, source, line);
}

}  // namespace engine
