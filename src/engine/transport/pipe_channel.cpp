#include "engine/transport/pipe_channel.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "engine/base/utf8.h"

namespace engine {

PipeChannel::PipeChannel(void* toBrowser, void* fromBrowser)
    : toBrowser_(toBrowser), fromBrowser_(fromBrowser) {}

PipeChannel::~PipeChannel() {
  Close();
  if (toBrowser_ != INVALID_HANDLE_VALUE) CloseHandle(toBrowser_);
  if (fromBrowser_ != INVALID_HANDLE_VALUE) CloseHandle(fromBrowser_);  // never read
}

std::unique_ptr<PipeChannel> PipeChannel::OpenFifos(const std::wstring& toBrowser,
                                                    const std::wstring& fromBrowser) {
  HANDLE out = CreateFileW(toBrowser.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return nullptr;
  HANDLE in = CreateFileW(fromBrowser.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) {
    CloseHandle(out);
    return nullptr;
  }
  return std::unique_ptr<PipeChannel>(new PipeChannel(out, in));
}

bool PipeChannel::Open(MessageFunction onMessage, ClosedFunction onClosed) {
  if (reader_ || fromBrowser_ == INVALID_HANDLE_VALUE) return false;
  onMessage_ = std::move(onMessage);
  onClosed_ = std::move(onClosed);
  open_ = true;
  reader_ = CreateThread(nullptr, 0, &PipeChannel::ReadThread, this, 0, nullptr);
  if (!reader_) open_ = false;
  return reader_ != nullptr;
}

bool PipeChannel::Send(const std::string& text) {
  if (!open_) return false;
  std::lock_guard<std::mutex> hold(sendLock_);
  const char* data = text.c_str();  // with its terminating NUL
  size_t left = text.size() + 1;
  while (left > 0) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(left < (1u << 20) ? left : (1u << 20));
    if (!WriteFile(toBrowser_, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    left -= written;
  }
  return true;
}

void PipeChannel::Close() {
  open_ = false;
  if (!reader_) return;
  if (GetThreadId(reader_) != GetCurrentThreadId()) {
    // The reader may be waiting in ReadFile for a browser that says nothing more.
    while (WaitForSingleObject(reader_, 50) == WAIT_TIMEOUT) CancelSynchronousIo(reader_);
  }
  CloseHandle(reader_);
  reader_ = nullptr;
}

bool PipeChannel::IsOpen() const {
  return open_;
}

unsigned long __stdcall PipeChannel::ReadThread(void* self) {
  static_cast<PipeChannel*>(self)->ReadLoop();
  return 0;
}

// Splits what arrived at its NULs; false when a message may not be taken.
bool PipeChannel::Deliver(const char* data, size_t size) {
  while (size > 0) {
    const char* end = static_cast<const char*>(std::memchr(data, '\0', size));
    const size_t part = end ? static_cast<size_t>(end - data) : size;
    if (!skipping_) Take(data, part);
    if (!end) return true;
    if (!skipping_) {
      if (!IsValidUtf8(pending_)) return false;
      if (!open_) return false;
      onMessage_(std::move(pending_));
    }
    NextMessage();
    data += part + 1;
    size -= part + 1;
  }
  return true;
}

// Adds to the message unless that takes it past its limit or past the memory there is.
void PipeChannel::Take(const char* data, size_t size) {
  try {
    if (!limitChosen_ && pending_.size() + size >= kHeadSize) {
      std::string head = pending_.substr(0, kHeadSize);
      head.append(data, std::min(size, kHeadSize - head.size()));
      messageLimit_ = limitFor_ ? std::min(limitFor_(head), kMaxMessage) : kMaxMessage;
      limitChosen_ = true;
    }
    if (pending_.size() + size > messageLimit_) return Skip(data, size);
    Append(pending_, data, size);
  } catch (const std::bad_alloc&) {
    Skip(data, size);
  }
}

void PipeChannel::Skip(const char* data, size_t size) {
  skipping_ = true;
  std::string head;
  try {
    head = pending_.empty() ? std::string(data, std::min(size, kHeadSize))
                            : pending_.substr(0, kHeadSize);
  } catch (const std::bad_alloc&) {
  }
  std::string().swap(pending_);  // its memory goes back now
  if (onSkipped_) onSkipped_(head);
}

void PipeChannel::NextMessage() {
  std::string().swap(pending_);
  messageLimit_ = kMaxMessage;
  limitChosen_ = false;
  skipping_ = false;
}

void PipeChannel::ReadLoop() {
  std::vector<char> buffer(256 * 1024);
  NextMessage();
  while (open_) {
    DWORD got = 0;
    if (!ReadFile(fromBrowser_, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) ||
        got == 0 || !Deliver(buffer.data(), got)) {
      break;
    }
  }
  open_ = false;
  // Nothing more is read: a browser still writing learns so instead of waiting for room.
  CloseHandle(fromBrowser_);
  fromBrowser_ = INVALID_HANDLE_VALUE;
  if (onClosed_) onClosed_();
}

}  // namespace engine
