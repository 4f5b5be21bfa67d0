#pragma once

// A browser of its own driven straight over the DevTools protocol, with no interception:
// the baseline that the engine's and the client's figures are set beside.

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

#include "engine/browser_process.h"
#include "engine/websocket_client.h"

namespace bench {

class PlainBrowser {
 public:
  PlainBrowser() = default;
  ~PlainBrowser();
  PlainBrowser(const PlainBrowser&) = delete;
  PlainBrowser& operator=(const PlainBrowser&) = delete;

  // Starts the browser and loads its first page: seconds from the process's start to that
  // page's load event, or -1 when the browser did not get that far in time.
  double Open(const std::wstring& browser, const std::string& url);
  // Seconds from asking for the page to its load event, or -1.
  double Navigate(const std::string& url);
  // Ends the browser (also done when the object goes).
  void Close();

 private:
  void OnMessage(const std::string& text);
  void Send(const std::string& method, const std::string& params, bool inSession);
  bool WaitForLoads(int count);

  engine::BrowserProcess process_;
  engine::WebSocketClient socket_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::map<std::string, std::string> attached_;  // sessions by target
  std::string created_;                          // the target made for the page
  std::string session_;                          // the page's session
  int createId_ = 0;
  int loads_ = 0;
  int nextId_ = 1;
  bool open_ = false;
};

}  // namespace bench
