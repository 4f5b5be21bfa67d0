#pragma once

// The renderer side of the pages: their script contexts, the values they hold, and the
// native functions they call. Everything but Receive runs on the engine's renderer thread.

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "engine/cef/cef_v8.h"
#include "engine/core/frame_impl.h"
#include "engine/devtools/devtools_connection.h"
#include "engine/devtools/session_table.h"

namespace engine {

class RendererBridge : public std::enable_shared_from_this<RendererBridge> {
 public:
  RendererBridge(std::shared_ptr<DevToolsConnection> connection,
                 std::shared_ptr<const SessionTable> sessions);

  // The connection's reading thread: a context event or a native call arrived.
  void Receive(DevToolsConnection::Event event);

 private:
  void OnEvent(const json& event);
  void ContextCreated(const std::string& session, const json& context);
  void ReleaseContext(const std::string& session, int id);
  void NativeCall(const std::string& session, const json& params);
  json Answer(const std::string& session, const json& params);
  CefRefPtr<CefV8Value> Decode(const std::string& session, int contextId, const json& value);
  json Encode(CefRefPtr<CefV8Value> value);

  const std::shared_ptr<DevToolsConnection> connection_;
  const std::shared_ptr<const SessionTable> sessions_;
  std::map<std::pair<std::string, int>, CefRefPtr<CefV8Context>> contexts_;
  std::map<std::pair<std::string, std::string>, int> frameContexts_;
  std::map<std::pair<std::string, std::string>, CefRefPtr<FrameImpl>> frames_;
};

}  // namespace engine
