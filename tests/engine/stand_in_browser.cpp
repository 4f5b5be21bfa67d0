// A stand-in for a Windows browser started with --remote-debugging-pipe: it takes its
// descriptors 3 (commands) and 4 (replies) from its C runtime, as the browser does, and
// answers each NUL-terminated command with {"id":N,"result":{}}. Commands of its own:
//   Test.big   answers with a result of a few megabytes;
//   Test.huge  answers with a result past the channel's bound;
//   Test.bad   sends the case of BadPipeInputs named by "what" (and ends if the case does);
//   Test.exit  ends without an answer;
//   Browser.close  ends after its answer.
// It ends with 0 at the end of its commands, with 3 when the C runtime gave it no pipes.

#include <io.h>
#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include "engine/bad_pipe_input.h"

namespace {

// The text of a string field or the digits of a number field; empty when it is missing.
std::string Field(const std::string& message, const std::string& name) {
  const std::string key = "\"" + name + "\":";
  size_t at = message.find(key);
  if (at == std::string::npos) return std::string();
  at += key.size();
  if (at < message.size() && message[at] == '"') {
    const size_t end = message.find('"', at + 1);
    return end == std::string::npos ? std::string() : message.substr(at + 1, end - at - 1);
  }
  size_t end = at;
  while (end < message.size() && std::isdigit(static_cast<unsigned char>(message[end]))) ++end;
  return message.substr(at, end - at);
}

// False when the stand-in is to end.
bool Answer(HANDLE out, const std::string& command) {
  const std::string method = Field(command, "method");
  if (method == "Test.exit") return false;
  if (method == "Test.bad") {
    for (const engine_test::BadPipeInput& input : engine_test::BadPipeInputs()) {
      if (input.what != Field(command, "what")) continue;
      // A reader that gave up makes the write fail: the stand-in waits for its end then.
      engine_test::WriteWhole(out, input.Bytes());
      return !input.browserEnds;
    }
    return false;
  }
  if (method == "Test.huge") {
    const int id = std::atoi(Field(command, "id").c_str());
    return engine_test::WriteWhole(out, engine_test::OversizedReply(id) + std::string(1, '\0'));
  }
  std::string result = "{}";
  if (method == "Test.big") result = "{\"x\":\"" + std::string(3 << 20, 'y') + "\"}";
  const std::string reply = "{\"id\":" + Field(command, "id") + ",\"result\":" + result + "}";
  // A browser asked to close answers, then goes.
  return engine_test::WriteWhole(out, reply + std::string(1, '\0')) && method != "Browser.close";
}

}  // namespace

int main() {
  const HANDLE in = reinterpret_cast<HANDLE>(_get_osfhandle(3));
  const HANDLE out = reinterpret_cast<HANDLE>(_get_osfhandle(4));
  if (in == INVALID_HANDLE_VALUE || out == INVALID_HANDLE_VALUE) return 3;
  std::string pending;
  char buffer[64 * 1024];
  while (true) {
    size_t nul;
    while ((nul = pending.find('\0')) == std::string::npos) {
      DWORD got = 0;
      if (!ReadFile(in, buffer, sizeof(buffer), &got, nullptr) || got == 0) return 0;
      pending.append(buffer, got);
    }
    const std::string command = pending.substr(0, nul);
    pending.erase(0, nul + 1);
    if (!Answer(out, command)) return 0;
  }
}
