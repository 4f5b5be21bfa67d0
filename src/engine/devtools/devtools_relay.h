#pragma once

// The developer tools' door to the page they inspect. The browser opens no debugging port,
// so while the tools are open the client listens on a loopback port of its own and takes
// one WebSocket connection, and only on a secret path (128 random bits) that it gives the
// tools' page alone; every other request, and a second one on the same path, is refused.
// The frontend's messages go to the browser over the engine's private channel, in the
// inspected page's own session or in the sessions of the page's own frames and workers that
// the frontend attached to, and in no other; the browser's messages in those sessions come
// back the same way.

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/devtools/protocol_json.h"

namespace engine {

class DevToolsRelay {
 public:
  using MessageFunction = std::function<void(std::string&& text)>;

  DevToolsRelay() = default;
  ~DevToolsRelay();
  DevToolsRelay(const DevToolsRelay&) = delete;
  DevToolsRelay& operator=(const DevToolsRelay&) = delete;

  // Starts listening for the tools of the page whose session (of the engine's connection)
  // is `session`; toBrowser gets each message of the frontend that may go to the browser,
  // on the relay's thread.
  bool Start(const std::string& session, MessageFunction toBrowser);
  // Closes the port and the connection, and waits for the relay's threads: within about a
  // tenth of a second, whatever the clients do.
  void Stop();
  // The page's message to the frontend; dropped while none is connected.
  void ToFrontend(const std::string& text);
  // The connection's reading thread: true when the browser's message is in one of the
  // relay's sessions; it went to the frontend then.
  bool FromBrowser(json& message);

  int Port() const { return port_; }
  // "/" and the secret, for the frontend's ws= address.
  const std::string& Path() const { return path_; }
  // The WebSocket address without its scheme: "127.0.0.1:<port>/<secret>".
  std::string Address() const;
  // The tools' page at "devtools://devtools/bundled/devtools_app.html?ws=" + Address().
  std::string FrontendUrl() const;
  // Runs in the tools' page before the tools' own scripts (see the definition).
  static const char* FrontendScript();

 private:
  struct PendingRequest {
    uintptr_t socket;
    std::string head;
    unsigned long long deadline;  // GetTickCount64
  };
  void AcceptLoop();
  void Admit(std::vector<PendingRequest>& pending);
  bool TakeConnection(uintptr_t connection, const std::string& head);
  void Serve();
  void ServeFrames();
  void FromFrontend(std::string&& text);

  uintptr_t listener_ = ~uintptr_t(0);
  uintptr_t connection_ = ~uintptr_t(0);
  int port_ = 0;
  std::string path_;
  std::atomic<bool> stopping_{false};
  bool used_ = false;
  std::mutex sendLock_;
  MessageFunction toBrowser_;
  std::mutex sessionLock_;
  // The relay's sessions; the root one is the page's, which the frontend uses unnamed.
  std::map<std::string, bool> sessions_;
  std::thread acceptor_;
  std::thread server_;
};

// 128 random bits from the system's generator, as 32 hexadecimal digits; empty on failure.
std::string RandomSecret();

}  // namespace engine
