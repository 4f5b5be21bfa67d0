#pragma once

// The connection the engine drives its browser over: whole protocol messages (JSON text) in
// both directions. One thread reads and delivers the messages; any thread may send.

#include <cstddef>
#include <functional>
#include <string>
#include <utility>

namespace engine {

class CdpChannel {
 public:
  using MessageFunction = std::function<void(std::string&& text)>;
  using ClosedFunction = std::function<void()>;
  // The largest size allowed for a message that begins with `head` (its first bytes).
  using LimitFunction = std::function<size_t(const std::string& head)>;
  // A message that was skipped (too large, or no memory for it), told by its first bytes.
  using SkippedFunction = std::function<void(const std::string& head)>;

  // Bytes of a message's beginning that its limit is chosen by.
  static constexpr size_t kHeadSize = 256;

  virtual ~CdpChannel() = default;

  // Before Open: how large each kind of message may be, and who learns of those skipped.
  // Channels that read whole frames at once keep their own bound instead.
  void SetLimits(LimitFunction limit, SkippedFunction skipped) {
    limitFor_ = std::move(limit);
    onSkipped_ = std::move(skipped);
  }

  // Starts reading. Messages and the close arrive on the reading thread; onClosed runs once,
  // when the channel ends for any reason (the browser gone, a message it may not send, Close).
  virtual bool Open(MessageFunction onMessage, ClosedFunction onClosed) = 0;
  // False when the channel is not open.
  virtual bool Send(const std::string& text) = 0;
  // Ends the channel and waits for the reading thread.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

 protected:
  LimitFunction limitFor_;
  SkippedFunction onSkipped_;
};

}  // namespace engine
