#pragma once

// What a browser may not send over its pipes, and the browser's end in the middle of a
// message: each must close the channel once, with the message before it delivered and none
// after it. Shared by the channel's own test and the stand-in browser that sends the same
// bytes from a program of its own, with the writer both use as the browser's side.

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace engine_test {

// The bytes of a literal that holds NULs of its own, without the one that ends it.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

struct BadPipeInput {
  const char* what;
  std::string start;
  size_t filler;     // this many 'x' after start, made only when the bytes are asked for
  bool browserEnds;  // the browser's end of the pipe closes after the bytes

  std::string Bytes() const { return start + std::string(filler, 'x'); }
};

inline std::vector<BadPipeInput> BadPipeInputs() {
  return {{"invalid UTF-8", Bytes("{\"a\":\"\xC3\x28\"}\0{\"b\":1}\0"), 0, false},
          {"a UTF-16 surrogate", Bytes("{\"a\":\"\xED\xA0\x80\"}\0"), 0, false},
          {"an overlong form", Bytes("{\"a\":\"\xC0\xAF\"}\0"), 0, false},
          {"a message cut by the browser's end", "{\"a\":1", 0, true}};
}

// A message past the channel's bound (64 MB): read and dropped up to its NUL, the channel
// going on with the next one.
inline std::string OversizedReply(int id) {
  return "{\"id\":" + std::to_string(id) + ",\"result\":{\"x\":\"" + std::string(70u << 20, 'y') +
         "\"}}";
}

// Writes all of the bytes as the browser does, in pieces of at most a megabyte; false once
// the reader has gone.
inline bool WriteWhole(HANDLE pipe, const std::string& bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1 << 20));
    if (!WriteFile(pipe, bytes.data() + at, chunk, &written, nullptr)) return false;
    at += written;
  }
  return true;
}

}  // namespace engine_test
