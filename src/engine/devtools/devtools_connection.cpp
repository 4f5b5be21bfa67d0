#include "engine/devtools/devtools_connection.h"

#include <chrono>
#include <condition_variable>

#include "engine/devtools/devtools_relay.h"
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

}  // namespace

bool DevToolsConnection::Open(std::unique_ptr<CdpChannel> channel, Routes routes) {
  routes_ = std::move(routes);
  channel_ = std::move(channel);
  std::weak_ptr<DevToolsConnection> weak = shared_from_this();
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
void DevToolsConnection::OnMessage(const std::string& text) {
  json message = ParseJson(text);
  if (message.is_discarded() || !message.is_object()) return;
  Guarded([&] {
    if (ToRelay(message)) return;
    if (message.contains("id")) {
      Answer(message);
      return;
    }
    Route(std::move(message));
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

void DevToolsConnection::Route(json&& message) {
  auto event = std::make_shared<const json>(std::move(message));
  const std::string method = Text(*event, "method");
  if (method.empty()) return;
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
  {
    std::lock_guard<std::mutex> hold(lock_);
    closed_ = true;
    pending.swap(replies_);
  }
  for (auto& r : pending) r.second(json::object(), true);
  if (routes_.closed) routes_.closed();
}

}  // namespace engine
