#pragma once

// What the engine knows of one browser's page: its target, its session and the state of its
// loading, view and sound. Engine UI thread only.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/core/frame_impl.h"

namespace engine {

struct DevToolsPage {
  int browserId = 0;
  std::string targetId;
  std::string sessionId;
  bool ready = false;
  std::vector<std::function<void()>> waiting;  // commands until the session is ready
  int lastStatus = 0;
  std::string mainRequest;
  std::string mainRequestUrl;
  std::string mainUrl;
  bool mainFailed = false;
  std::set<std::string> cancelled;  // network requests the handler cancelled
  bool canGoBack = false;
  bool canGoForward = false;
  std::map<std::string, CefRefPtr<FrameImpl>> subframes;
  int viewWidth = 0;
  int viewHeight = 0;
  bool viewVisible = false;
  bool casting = false;
  bool muted = false;
  bool focused = true;  // as the browser starts every page
  std::vector<std::string> muteScripts;  // make the page's next documents muted
  // One renderer's end can be signalled several ways at once (its target crashed or
  // destroyed, its session detached, the connection lost, its target never made) and is
  // reported once: `gone` until a reload brings a crashed page back, `ended` for good.
  bool gone = false;
  bool ended = false;
};

}  // namespace engine
