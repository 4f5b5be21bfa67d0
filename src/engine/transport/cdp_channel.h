#pragma once

// The connection the engine drives its browser over: whole protocol messages (JSON text) in
// both directions. One thread reads and delivers the messages; any thread may send.

#include <functional>
#include <string>

namespace engine {

class CdpChannel {
 public:
  using MessageFunction = std::function<void(std::string&& text)>;
  using ClosedFunction = std::function<void()>;

  virtual ~CdpChannel() = default;

  // Starts reading. Messages and the close arrive on the reading thread; onClosed runs once,
  // when the channel ends for any reason (the browser gone, a message it may not send, Close).
  virtual bool Open(MessageFunction onMessage, ClosedFunction onClosed) = 0;
  // False when the channel is not open.
  virtual bool Send(const std::string& text) = 0;
  // Ends the channel and waits for the reading thread.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
};

}  // namespace engine
