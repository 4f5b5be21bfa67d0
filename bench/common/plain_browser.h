#pragma once

// A browser of its own driven straight over the DevTools protocol, with no interception:
// the baseline that the engine's and the client's figures are set beside.

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "engine/process/browser_process.h"
#include "engine/transport/websocket_client.h"

namespace bench {

// The first string value of the key in a protocol message, read without parsing it (a
// frame's data is large); empty when it has none.
std::string MessageField(const std::string& text, const std::string& key);

// The number of a screencast frame, after the frame's own "sessionId" (the message's
// session is a string); empty when there is none.
std::string ScreencastFrameNumber(const std::string& text);

class PlainBrowser {
 public:
  PlainBrowser() = default;
  ~PlainBrowser();
  PlainBrowser(const PlainBrowser&) = delete;
  PlainBrowser& operator=(const PlainBrowser&) = delete;

  // Starts the browser and loads its first page: seconds from the process's start to that
  // page's load event, or -1 when the browser did not get that far in time.
  double Open(const std::wstring& browser, const std::string& url);
  // Of the last Open: seconds from the process's start to its channel being ready, or -1.
  double StartSeconds() const { return startSeconds_; }
  // Seconds from asking for the page to its load event, or -1.
  double Navigate(const std::string& url);
  // A new page in the running browser, its frames asked for at the size as the engine asks
  // for them: seconds from asking for the page to the first frame whose middle shows the
  // colour (0xRRGGBB), or -1. Later calls of the other functions drive this page.
  double NewPageShowing(const std::string& url, int width, int height, uint32_t colour);
  // Ends the browser (also done when the object goes).
  void Close();

 private:
  bool MakePage(const std::string& url);
  void OnMessage(const std::string& text);
  void OnFrame(const std::string& text);
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
  uint32_t colour_ = 0;  // the colour a frame's middle is waited for in
  bool shown_ = false;   // a frame has shown it
  int loads_ = 0;
  int nextId_ = 1;
  bool open_ = false;
  double startSeconds_ = -1;
};

}  // namespace bench
