#pragma once

#include <string>
#include <vector>

#include "browser_host/event_table.h"
#include "engine/cef/cef_client.h"

namespace vok_comp {
namespace browser_event {

// Which browser, or which browser and frame, an event is about: only the control's own
// reaction takes these; a window's callback does not.
using NoSource = EventSource<>;
using OfBrowser = EventSource<CefRefPtr<CefBrowser>>;
using OfFrame = EventSource<CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>>;

}  // namespace browser_event
}  // namespace vok_comp

// Every event of a browser control, a line each: its name; the thread its listeners run on
// (UiEvent: posted to the UI thread, or raised there; EngineEvent: a decision answered at
// once on the engine's thread); what only the control's own reaction takes; what a window's
// callback takes and answers. WINDOW events are those a window follows through the control's
// "Set<name>Callback"; CONTROL events are heard by the control alone. A new event is a line
// here and a raise where it happens (the browser handler, or the control).
#define VOK_BROWSER_EVENTS(WINDOW, CONTROL)                                                        \
  WINDOW(BeforeContextMenu, EngineEvent, OfFrame,                                                  \
         void(CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model))              \
  WINDOW(                                                                                          \
      ContextMenuCommand, EngineEvent, OfFrame,                                                    \
      bool(CefRefPtr<CefContextMenuParams> params, int commandId, cef_event_flags_t eventFlags))   \
  WINDOW(TitleChange, UiEvent, OfBrowser, void(const std::wstring& title))                         \
  WINDOW(UrlChange, UiEvent, NoSource, void(const std::wstring& url))                              \
  WINDOW(MainUrlChange, UiEvent, NoSource, void(const CefString& oldUrl, const CefString& newUrl)) \
  WINDOW(BeforePopup, EngineEvent, OfFrame, bool(const std::wstring& targetUrl, bool userGesture)) \
  WINDOW(LoadingStateChange, UiEvent, OfBrowser,                                                   \
         void(bool isLoading, bool canGoBack, bool canGoForward))                                  \
  WINDOW(LoadStart, UiEvent, OfFrame, void())                                                      \
  WINDOW(LoadEnd, UiEvent, OfFrame, void(int httpStatusCode))                                      \
  WINDOW(LoadError, UiEvent, OfFrame,                                                              \
         void(cef_errorcode_t errorCode, const CefString& errorText, const CefString& failedUrl))  \
  WINDOW(AfterCreated, UiEvent, NoSource, void(CefRefPtr<CefBrowser> browser))                     \
  WINDOW(BeforeClose, UiEvent, NoSource, void(CefRefPtr<CefBrowser> browser))                      \
  WINDOW(BeforeNavigate, EngineEvent, NoSource,                                                    \
         bool(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,                            \
              CefRefPtr<CefRequest> request, bool isRedirect))                                     \
  WINDOW(BeforeDownload, EngineEvent, NoSource,                                                    \
         void(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> downloadItem,              \
              const CefString& suggestedName, CefRefPtr<CefBeforeDownloadCallback> callback))      \
  WINDOW(DownloadUpdated, EngineEvent, NoSource,                                                   \
         void(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> downloadItem,              \
              CefRefPtr<CefDownloadItemCallback> callback))                                        \
  WINDOW(FileDialog, EngineEvent, OfBrowser,                                                       \
         bool(cef_file_dialog_mode_t mode, const CefString& title,                                 \
              const CefString& defaultFilePath, const std::vector<CefString>& acceptFilters,       \
              int selectedAcceptFilter, CefRefPtr<CefFileDialogCallback> callback))                \
  WINDOW(DevToolsVisibleChange, UiEvent, NoSource, void(bool visible))                             \
  CONTROL(UpdateWindowPos, UiEvent, NoSource, void())                                              \
  CONTROL(AddressChange, UiEvent, NoSource,                                                        \
          void(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, const CefString& url))    \
  CONTROL(RenderProcessTerminated, UiEvent, NoSource,                                              \
          void(CefRefPtr<CefBrowser> browser, cef_termination_status_t status))                    \
  CONTROL(ExecuteCppFunc, EngineEvent, NoSource,                                                   \
          bool(const CefString& functionName, const CefString& params, int callbackId,             \
               CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame))

namespace vok_comp {
namespace browser_event {

#define VOK_DECLARE_BROWSER_EVENT(Name, Kind, Source, Signature) \
  struct Name : Kind<Source, Signature> {};
VOK_BROWSER_EVENTS(VOK_DECLARE_BROWSER_EVENT, VOK_DECLARE_BROWSER_EVENT)
#undef VOK_DECLARE_BROWSER_EVENT

}  // namespace browser_event
}  // namespace vok_comp
