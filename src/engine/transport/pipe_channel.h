#pragma once

// The channel over the browser's pipe transport: NUL-terminated JSON messages, written to
// the browser on one pipe and read from it on another. Under Wine the pipes are FIFOs in the
// profile folder that the start-up script made owner-only; on Windows they are anonymous pipes
// whose other ends the browser inherited. Nothing listens on the network.
// A message that is not well-formed UTF-8 ends the channel as a broken connection does. A
// message that grows past its limit (kMaxMessage, or less for its kind, see SetLimits) or
// that there is no memory for is skipped as it streams in: its bytes are read and dropped
// up to its NUL, the skipped function learns its beginning, and the next message is read
// as usual.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "engine/transport/cdp_channel.h"

namespace engine {

class PipeChannel : public CdpChannel {
 public:
  // Takes both handles (Win32 HANDLEs) and closes them.
  PipeChannel(void* toBrowser, void* fromBrowser);
  ~PipeChannel() override;
  PipeChannel(const PipeChannel&) = delete;
  PipeChannel& operator=(const PipeChannel&) = delete;

  // Opens the two FIFOs by their Windows paths; empty when either cannot be opened.
  static std::unique_ptr<PipeChannel> OpenFifos(const std::wstring& toBrowser,
                                                const std::wstring& fromBrowser);

  bool Open(MessageFunction onMessage, ClosedFunction onClosed) override;
  bool Send(const std::string& text) override;
  void Close() override;
  bool IsOpen() const override;

  // A page's call must still carry 8 MB arguments, which the protocol may inflate severalfold.
  static constexpr size_t kMaxMessage = 64u << 20;

 protected:
  // Grows the message being read; throws std::bad_alloc when there is no memory for it.
  virtual void Append(std::string& message, const char* data, size_t size) {
    message.append(data, size);
  }

 private:
  static unsigned long __stdcall ReadThread(void* self);
  void ReadLoop();
  bool Deliver(const char* data, size_t size);
  void Take(const char* data, size_t size);
  void Skip(const char* data, size_t size);
  void NextMessage();

  // The message being read (reading thread only).
  std::string pending_;
  size_t messageLimit_ = kMaxMessage;
  bool limitChosen_ = false;
  bool skipping_ = false;

  void* toBrowser_;
  void* fromBrowser_;
  void* reader_ = nullptr;
  std::atomic<bool> open_{false};
  std::mutex sendLock_;
  MessageFunction onMessage_;
  ClosedFunction onClosed_;
};

}  // namespace engine
