#pragma once

// The engine's one connection to its browser: commands out with their replies, and the
// browser's messages in, each handed to the part of the engine whose thread it belongs on.
// Any thread may send; the channel's reading thread routes.
//
// A page decides how much the browser sends, so what waits is bounded. Console output is
// dropped when it is larger than kMaxConsoleMessage (skipped as it streams in) or when
// kConsoleBudget bytes of it already wait for their thread. Every other event waits for its
// thread within kEventBudget bytes, beyond which the reading thread waits for room rather
// than dropping it. Replies are never dropped: one too large for the channel fails its
// command.

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/devtools/protocol_json.h"
#include "engine/transport/cdp_channel.h"

namespace engine {

class DevToolsRelay;
class EventBudget;

class DevToolsConnection : public std::enable_shared_from_this<DevToolsConnection> {
 public:
  using Reply = std::function<void(const json& result, bool failed)>;
  using Event = std::shared_ptr<const json>;
  using EventFunction = std::function<void(Event event)>;

  // Where the reading thread hands what arrives; each receiver moves it to its own thread.
  struct Routes {
    EventFunction frames;    // the screencast's frames
    EventFunction renderer;  // script contexts, and native calls from pages
    EventFunction pages;     // every other event
    std::function<void()> closed;
  };

  static constexpr size_t kMaxConsoleMessage = 1u << 20;
  static constexpr size_t kConsoleBudget = 8u << 20;
  static constexpr size_t kEventBudget = 64u << 20;

  DevToolsConnection();
  DevToolsConnection(const DevToolsConnection&) = delete;
  DevToolsConnection& operator=(const DevToolsConnection&) = delete;

  // Takes the channel and starts reading it; false (and the channel dropped) when it does
  // not open. Before any other thread sends.
  bool Open(std::unique_ptr<CdpChannel> channel, Routes routes);
  bool IsOpen() const;
  void Close();

  // A reply is always called: with the answer, or as failed once the connection has ended,
  // also for a command sent after the end (a page made then must still learn that it has no
  // browser).
  void Send(const std::string& method, const json& params, const std::string& session,
            Reply reply = nullptr);
  // Sends and waits for the answer (never on the engine's threads).
  bool Call(const std::string& method, const json& params, const std::string& session,
            json& answer);
  // A whole message as it stands.
  bool SendText(const std::string& text);

  // Messages in the relay's sessions go to it instead of the engine.
  void AddRelay(std::shared_ptr<DevToolsRelay> relay);
  void RemoveRelay(const std::shared_ptr<DevToolsRelay>& relay);

 private:
  void OnMessage(const std::string& text);
  void OnSkipped(const std::string& head);
  bool ToRelay(json& message);
  void Route(json&& message, size_t size);
  void Answer(const json& message);
  void OnClosed();

  std::unique_ptr<CdpChannel> channel_;  // set by Open, before any other thread sends
  Routes routes_;
  mutable std::mutex lock_;
  int nextId_ = 1;
  std::map<int, Reply> replies_;
  bool closed_ = false;  // the connection has ended
  std::vector<std::shared_ptr<DevToolsRelay>> relays_;
  std::shared_ptr<EventBudget> console_;
  std::shared_ptr<EventBudget> events_;
  std::atomic<bool> closing_{false};
};

}  // namespace engine
