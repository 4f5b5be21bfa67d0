#pragma once

// The pages' frames: each screencast frame is decoded on a thread of its own and published
// on its browser's surface. Everything but Start, Stop and Receive runs on that thread.
// Frames never queue up: a frame still waiting for the decoder when its page's next one
// comes is replaced by it (and acknowledged at once, so the page goes on sending).

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
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
  void DecodeLatest(const std::string& session);
  void Acknowledge(const json& event);
  void OnFrame(const json& event);
  void ShowFrame(const std::string& session, const std::string& data);

  const std::shared_ptr<DevToolsConnection> connection_;
  const std::shared_ptr<const SessionTable> sessions_;
  EngineThread decoder_;
  JpegDecoder jpeg_;
  std::vector<uint32_t> spare_;
  std::mutex lock_;
  // Per session, the frame waiting for the decoder.
  std::map<std::string, DevToolsConnection::Event> waiting_;
};

}  // namespace engine
