#include "common/plain_browser.h"

#include <chrono>

#include "common/bench_timing.h"
#include "engine/backend.h"

namespace bench {

namespace {

constexpr unsigned kStartTimeoutMs = 30000;
constexpr auto kPageTimeout = std::chrono::seconds(20);

// The first string value of the key in a protocol message; empty when it has none.
std::string Field(const std::string& text, const std::string& key) {
  const std::string head = "\"" + key + "\":\"";
  const size_t at = text.find(head);
  if (at == std::string::npos) return std::string();
  const size_t start = at + head.size();
  const size_t end = text.find('"', start);
  return end == std::string::npos ? std::string() : text.substr(start, end - start);
}

}  // namespace

PlainBrowser::~PlainBrowser() {
  Close();
}

double PlainBrowser::Open(const std::wstring& browser, const std::string& url) {
  const double launched = Seconds();
  if (!process_.Launch(browser, engine::StartOptions(), kStartTimeoutMs,
                       engine::ControlChannel::kPort)) {
    return -1;
  }
  open_ = true;
  if (!socket_.Connect(
          "127.0.0.1", process_.Port(), process_.BrowserPath(),
          [this](std::string&& text) { OnMessage(text); }, [] {})) {
    return -1;
  }
  Send("Target.setAutoAttach",
       R"({"autoAttach":true,"waitForDebuggerOnStart":true,"flatten":true})", false);
  {
    std::lock_guard<std::mutex> hold(lock_);
    createId_ = nextId_;
  }
  Send("Target.createTarget", R"({"url":")" + url + "\"}", false);
  {
    std::unique_lock<std::mutex> hold(lock_);
    if (!changed_.wait_for(hold, kPageTimeout, [&] { return !session_.empty(); })) return -1;
  }
  Send("Page.enable", "{}", true);
  Send("Runtime.runIfWaitingForDebugger", "{}", true);
  if (!WaitForLoads(1)) return -1;
  return Seconds() - launched;
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
  std::lock_guard<std::mutex> hold(lock_);
  if (text.find("\"Target.attachedToTarget\"") != std::string::npos) {
    attached_[Field(text, "targetId")] = Field(text, "sessionId");
  } else if (text.rfind("{\"id\":" + std::to_string(createId_) + ",", 0) == 0) {
    created_ = Field(text, "targetId");
  } else if (text.find("\"Page.loadEventFired\"") != std::string::npos && !session_.empty() &&
             Field(text, "sessionId") == session_) {
    ++loads_;
  }
  if (session_.empty() && !created_.empty() && attached_.count(created_)) {
    session_ = attached_[created_];
  }
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
