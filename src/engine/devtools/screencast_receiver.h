#pragma once

// The pages' frames: each screencast frame is decoded on a thread of its own and published
// on its browser's surface. Everything but Start, Stop and Receive runs on that thread.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/engine_thread.h"
#include "engine/devtools/devtools_connection.h"
#include "engine/devtools/jpeg_decoder.h"
#include "engine/devtools/session_table.h"

namespace engine {

class ScreencastReceiver : public std::enable_shared_from_this<ScreencastReceiver> {
 public:
  ScreencastReceiver(std::shared_ptr<DevToolsConnection> connection,
                     std::shared_ptr<const SessionTable> sessions);

  bool Start() { return decoder_.Start(); }
  void Stop() { decoder_.Stop(); }
  // The connection's reading thread: a frame arrived.
  void Receive(DevToolsConnection::Event event);

 private:
  void OnFrame(const json& event);
  void ShowFrame(const std::string& session, const std::string& data);

  const std::shared_ptr<DevToolsConnection> connection_;
  const std::shared_ptr<const SessionTable> sessions_;
  EngineThread decoder_;
  JpegDecoder jpeg_;
  std::vector<uint32_t> spare_;
};

}  // namespace engine
