#include "common/plain_browser.h"

#include <chrono>
#include <vector>

#include "common/bench_timing.h"
#include "engine/core/backend.h"
#include "engine/devtools/jpeg_decoder.h"

namespace bench {

namespace {

constexpr unsigned kStartTimeoutMs = 30000;
constexpr auto kPageTimeout = std::chrono::seconds(20);

// Within the slack a JPEG frame leaves, channel by channel.
bool CloseColours(uint32_t a, uint32_t b) {
  constexpr int kSlack = 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const int x = static_cast<int>((a >> shift) & 0xff);
    const int y = static_cast<int>((b >> shift) & 0xff);
    if (x - y > kSlack || y - x > kSlack) return false;
  }
  return true;
}

}  // namespace

std::string MessageField(const std::string& text, const std::string& key) {
  const std::string head = "\"" + key + "\":\"";
  const size_t at = text.find(head);
  if (at == std::string::npos) return std::string();
  const size_t start = at + head.size();
  const size_t end = text.find('"', start);
  return end == std::string::npos ? std::string() : text.substr(start, end - start);
}

std::string ScreencastFrameNumber(const std::string& text) {
  const std::string key = "\"sessionId\":";
  for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
    size_t end = at + key.size();
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    if (end > at + key.size()) return text.substr(at + key.size(), end - at - key.size());
  }
  return std::string();
}

PlainBrowser::~PlainBrowser() {
  Close();
}

double PlainBrowser::Open(const std::wstring& browser, const std::string& url) {
  const double launched = Seconds();
  startSeconds_ = -1;
  if (!process_.Launch(browser, engine::StartOptions(), kStartTimeoutMs,
                       engine::ControlChannel::kPort)) {
    return -1;
  }
  startSeconds_ = Seconds() - launched;
  open_ = true;
  if (!socket_.Connect(
          "127.0.0.1", process_.Port(), process_.BrowserPath(),
          [this](std::string&& text) { OnMessage(text); }, [] {})) {
    return -1;
  }
  Send("Target.setAutoAttach",
       R"({"autoAttach":true,"waitForDebuggerOnStart":true,"flatten":true})", false);
  if (!MakePage(url)) return -1;
  Send("Page.enable", "{}", true);
  Send("Runtime.runIfWaitingForDebugger", "{}", true);
  if (!WaitForLoads(1)) return -1;
  return Seconds() - launched;
}

double PlainBrowser::NewPageShowing(const std::string& url, int width, int height,
                                    uint32_t colour) {
  if (!open_) return -1;
  {
    std::lock_guard<std::mutex> hold(lock_);
    colour_ = colour;
    shown_ = false;
  }
  const double start = Seconds();
  if (!MakePage(url)) return -1;
  Send("Page.enable", "{}", true);
  Send("Emulation.setDeviceMetricsOverride",
       R"({"width":)" + std::to_string(width) + R"(,"height":)" + std::to_string(height) +
           R"(,"deviceScaleFactor":1,"mobile":false})",
       true);
  Send("Page.startScreencast",
       R"({"format":"jpeg","quality":80,"maxWidth":)" + std::to_string(width) + R"(,"maxHeight":)" +
           std::to_string(height) + "}",
       true);
  Send("Runtime.runIfWaitingForDebugger", "{}", true);
  std::unique_lock<std::mutex> hold(lock_);
  if (!changed_.wait_for(hold, kPageTimeout, [&] { return shown_; })) return -1;
  return Seconds() - start;
}

// The page waits for this client before it runs, so that nothing it does is missed.
bool PlainBrowser::MakePage(const std::string& url) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    createId_ = nextId_;
    created_.clear();
    session_.clear();
    loads_ = 0;
  }
  Send("Target.createTarget", R"({"url":")" + url + "\"}", false);
  std::unique_lock<std::mutex> hold(lock_);
  return changed_.wait_for(hold, kPageTimeout, [&] { return !session_.empty(); });
}

double PlainBrowser::Navigate(const std::string& url) {
  int before = 0;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (session_.empty()) return -1;
    before = loads_;
  }
  const double start = Seconds();
  Send("Page.navigate", R"({"url":")" + url + "\"}", true);
  if (!WaitForLoads(before + 1)) return -1;
  return Seconds() - start;
}

void PlainBrowser::Close() {
  if (!open_) return;
  open_ = false;
  socket_.Close();
  process_.Stop();
}

// The browser may already have a page of its own when the new one is made, and is then
// attached to that one too: the page to drive is the one the creation answered with.
void PlainBrowser::OnMessage(const std::string& text) {
  if (text.find("\"Page.screencastFrame\"") != std::string::npos) {
    OnFrame(text);
    return;
  }
  std::lock_guard<std::mutex> hold(lock_);
  if (text.find("\"Target.attachedToTarget\"") != std::string::npos) {
    attached_[MessageField(text, "targetId")] = MessageField(text, "sessionId");
  } else if (text.rfind("{\"id\":" + std::to_string(createId_) + ",", 0) == 0) {
    created_ = MessageField(text, "targetId");
  } else if (text.find("\"Page.loadEventFired\"") != std::string::npos && !session_.empty() &&
             MessageField(text, "sessionId") == session_) {
    ++loads_;
  }
  if (session_.empty() && !created_.empty() && attached_.count(created_)) {
    session_ = attached_[created_];
  }
  changed_.notify_all();
}

// Acknowledged at once, and decoded as the engine decodes it.
void PlainBrowser::OnFrame(const std::string& text) {
  Send("Page.screencastFrameAck", R"({"sessionId":)" + ScreencastFrameNumber(text) + "}", true);
  std::vector<uint32_t> pixels;
  int width = 0;
  int height = 0;
  if (!engine::JpegDecoder().Decode(engine::Base64Decode(MessageField(text, "data")), pixels, width,
                                    height)) {
    return;
  }
  const uint32_t middle = pixels[(height / 2) * width + width / 2];
  std::lock_guard<std::mutex> hold(lock_);
  shown_ = shown_ || CloseColours(middle, colour_);
  changed_.notify_all();
}

void PlainBrowser::Send(const std::string& method, const std::string& params, bool inSession) {
  std::string message;
  {
    std::lock_guard<std::mutex> hold(lock_);
    message = R"({"id":)" + std::to_string(nextId_++) + R"(,"method":")" + method +
              R"(","params":)" + params;
    if (inSession) message += R"(,"sessionId":")" + session_ + "\"";
  }
  socket_.Send(message + "}");
}

bool PlainBrowser::WaitForLoads(int count) {
  std::unique_lock<std::mutex> hold(lock_);
  return changed_.wait_for(hold, kPageTimeout, [&] { return loads_ >= count; });
}

}  // namespace bench
