#include "engine/devtools/devtools_connection.h"

#include <chrono>
#include <condition_variable>

#include "engine/devtools/devtools_relay.h"
#include "engine/devtools/event_budget.h"
#include "engine/devtools/page_script.h"

namespace engine {
namespace {

constexpr unsigned kAnswerTimeoutMs = 10000;

bool IsNativeCallEvent(const json& event) {
  if (Text(event, "method") != "Fetch.requestPaused") return false;
  const json& params = Member(event, "params");
  const json& request = Member(params, "request");
  return IsNativeCall(Text(params, "resourceType"), Text(request, "method"), Text(request, "url"));
}

const char* const kConsoleMethods[] = {"Runtime.consoleAPICalled", "Runtime.exceptionThrown",
                                       "Log.entryAdded"};

bool IsConsole(const std::string& method) {
  for (const char* m : kConsoleMethods) {
    if (method == m) return true;
  }
  return false;
}

// The browser writes an event's method first: {"method":"Domain.name",...
std::string MethodOfHead(const std::string& head) {
  static const std::string kStart = "{\"method\":\"";
  if (head.compare(0, kStart.size(), kStart) != 0) return std::string();
  const size_t end = head.find('"', kStart.size());
  return end == std::string::npos ? std::string() : head.substr(kStart.size(), end - kStart.size());
}

// A reply starts {"id":N,...; -1 for anything else.
int IdOfHead(const std::string& head) {
  static const std::string kStart = "{\"id\":";
  if (head.compare(0, kStart.size(), kStart) != 0) return -1;
  int id = 0;
  size_t at = kStart.size();
  if (at >= head.size() || head[at] < '0' || head[at] > '9') return -1;
  for (; at < head.size() && head[at] >= '0' && head[at] <= '9' && id < 100000000; ++at) {
    id = id * 10 + (head[at] - '0');
  }
  return id;
}

}  // namespace

DevToolsConnection::DevToolsConnection()
    : console_(std::make_shared<EventBudget>(kConsoleBudget)),
      events_(std::make_shared<EventBudget>(kEventBudget)) {}

bool DevToolsConnection::Open(std::unique_ptr<CdpChannel> channel, Routes routes) {
  routes_ = std::move(routes);
  channel_ = std::move(channel);
  std::weak_ptr<DevToolsConnection> weak = shared_from_this();
  if (channel_) {
    channel_->SetLimits(
        [](const std::string& head) {
          return IsConsole(MethodOfHead(head)) ? kMaxConsoleMessage : ~size_t(0);
        },
        [weak](const std::string& head) {
          if (auto s = weak.lock()) s->OnSkipped(head);
        });
  }
  if (!channel_ || !channel_->Open(
                       [weak](std::string&& text) {
                         if (auto s = weak.lock()) s->OnMessage(text);
                       },
                       [weak] {
                         if (auto s = weak.lock()) s->OnClosed();
                       })) {
    channel_.reset();
    return false;
  }
  return true;
}

bool DevToolsConnection::IsOpen() const {
  return channel_ && channel_->IsOpen();
}

void DevToolsConnection::Close() {
  closing_ = true;
  if (channel_) channel_->Close();
}

void DevToolsConnection::Send(const std::string& method, const json& params,
                              const std::string& session, Reply reply) {
  json message = {{"method", method}, {"params", params}};
  bool closed;
  {
    std::lock_guard<std::mutex> hold(lock_);
    closed = closed_;
    const int id = nextId_++;
    message["id"] = id;
    if (reply && !closed) replies_[id] = std::move(reply);
  }
  if (closed) {
    if (reply) reply(json::object(), true);
    return;
  }
  if (!session.empty()) message["sessionId"] = session;
  if (channel_) channel_->Send(Dump(message));
}

bool DevToolsConnection::Call(const std::string& method, const json& params,
                              const std::string& session, json& answer) {
  struct Wait {
    std::mutex lock;
    std::condition_variable cv;
    bool done = false;
    bool failed = false;
    json result;
  };
  auto wait = std::make_shared<Wait>();
  Send(method, params, session, [wait](const json& result, bool failed) {
    std::lock_guard<std::mutex> hold(wait->lock);
    wait->done = true;
    wait->failed = failed;
    wait->result = result;
    wait->cv.notify_all();
  });
  std::unique_lock<std::mutex> hold(wait->lock);
  if (!wait->cv.wait_for(hold, std::chrono::milliseconds(kAnswerTimeoutMs),
                         [&] { return wait->done; })) {
    return false;
  }
  answer = wait->result;
  return !wait->failed;
}

bool DevToolsConnection::SendText(const std::string& text) {
  return channel_ && channel_->Send(text);
}

void DevToolsConnection::AddRelay(std::shared_ptr<DevToolsRelay> relay) {
  std::lock_guard<std::mutex> hold(lock_);
  relays_.push_back(std::move(relay));
}

void DevToolsConnection::RemoveRelay(const std::shared_ptr<DevToolsRelay>& relay) {
  std::lock_guard<std::mutex> hold(lock_);
  for (auto it = relays_.begin(); it != relays_.end();) {
    it = *it == relay ? relays_.erase(it) : std::next(it);
  }
}

// The reading thread: answers go to their waiters, events to the thread they belong on.
// Out of memory for a message, it is dropped as one too large for the channel is.
void DevToolsConnection::OnMessage(const std::string& text) {
  Guarded([&] {
    json message = ParseJson(text);
    if (message.is_discarded() || !message.is_object()) return;
    if (ToRelay(message)) return;
    if (message.contains("id")) {
      Answer(message);
      return;
    }
    Route(std::move(message), text.size());
  });
}

// The reading thread: a message the channel skipped. A command whose answer it was fails.
void DevToolsConnection::OnSkipped(const std::string& head) {
  const int id = IdOfHead(head);
  if (id < 0) return;
  Guarded([&] {
    Answer({{"id", id}, {"error", {{"code", -32000}, {"message", "The answer was too large."}}}});
  });
}

// The reading thread: true when the message belongs to a relay's sessions and went there.
bool DevToolsConnection::ToRelay(json& message) {
  if (Text(message, "sessionId").empty()) return false;
  std::vector<std::shared_ptr<DevToolsRelay>> relays;
  {
    std::lock_guard<std::mutex> hold(lock_);
    relays = relays_;
  }
  for (auto& relay : relays) {
    if (relay->FromBrowser(message)) return true;
  }
  return false;
}

void DevToolsConnection::Route(json&& message, size_t size) {
  const std::string method = Text(message, "method");
  if (method.empty()) return;
  auto owned = std::make_unique<const json>(std::move(message));
  std::shared_ptr<EventBudget> budget = IsConsole(method) ? console_ : events_;
  if (budget == console_) {
    if (!budget->TryTake(size)) return;
  } else {
    budget->Take(size, [this] { return !closing_; });
  }
  // The bytes go back when the last thread holding the event lets go of it.
  Event event(owned.release(), [budget, size](const json* e) {
    delete e;
    budget->Give(size);
  });
  const EventFunction* route = &routes_.pages;
  if (method == "Page.screencastFrame") {
    route = &routes_.frames;
  } else if (method.rfind("Runtime.executionContext", 0) == 0 || IsNativeCallEvent(*event)) {
    route = &routes_.renderer;
  }
  if (*route) (*route)(event);
}

void DevToolsConnection::Answer(const json& message) {
  if (!message.at("id").is_number_integer()) return;
  Reply reply;
  {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = replies_.find(message.at("id").get<int>());
    if (it == replies_.end()) return;
    reply = std::move(it->second);
    replies_.erase(it);
  }
  const bool failed = message.contains("error");
  reply(failed ? Member(message, "error") : Member(message, "result"), failed);
}

// The reading thread: the browser went away. Replies still awaited fail now and later ones
// at once (see Send), under the same lock, so that no reply is left waiting for an answer
// that cannot come.
void DevToolsConnection::OnClosed() {
  std::map<int, Reply> pending;
  closing_ = true;
  {
    std::lock_guard<std::mutex> hold(lock_);
    closed_ = true;
    pending.swap(replies_);
  }
  for (auto& r : pending) r.second(json::object(), true);
  if (routes_.closed) routes_.closed();
}

}  // namespace engine
