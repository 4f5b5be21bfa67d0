#pragma once

// What the Linux side of the machine shows a test running under Wine: files through the Z:
// drive and the output of shell commands, which run through /bin/sh as the engine starts its
// browser. Under Windows there is no Linux side: Available() is false.

#include <string>
#include <vector>

namespace engine_test {

class LinuxSide {
 public:
  static bool Available();
  // The Linux path of a Windows one; empty when there is none.
  static std::string UnixPath(const std::wstring& path);
  // The standard output of `sh -c script args...`, once it has ended (empty when it does not
  // end in time).
  static std::string Run(const std::string& script, const std::vector<std::string>& args = {});
  // The process id of this program on the Linux side.
  static int OwnPid();
};

// A listening TCP socket of the machine (state 0A of /proc/net/tcp and tcp6).
struct Listener {
  std::string inode;
  int port = 0;
};

// The listening sockets held by the given processes (ids of the Linux side).
std::vector<Listener> ListenersOf(const std::vector<int>& pids);
// The browser started with this profile folder and every process of its session.
std::vector<int> BrowserProcesses(const std::wstring& profileFolder);

}  // namespace engine_test
