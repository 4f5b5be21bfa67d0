#include "engine/linux_side.h"

#include <windows.h>

#include <cstdlib>
#include <sstream>

#include "engine/base/utf8.h"
#include "engine/process/wine_paths.h"
#include "engine/recording_client.h"

namespace engine_test {
namespace {

std::string ReadAll(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  return text;
}

std::wstring TempFile(const std::wstring& prefix) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  static int serial = 0;
  return std::wstring(temp) + prefix + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(++serial);
}

}  // namespace

bool LinuxSide::Available() {
  return engine::RunsUnderWine();
}

std::string LinuxSide::UnixPath(const std::wstring& path) {
  return engine::UnixPath(path);
}

std::string LinuxSide::Run(const std::string& script, const std::vector<std::string>& args) {
  const std::wstring output = TempFile(L"linux-side-");
  const std::string done = UnixPath(output);
  // The output appears whole, once the script has ended.
  const std::string wrapped =
      "o=$1; shift; (" + script + ") >\"$o.part\" 2>/dev/null </dev/null; mv \"$o.part\" \"$o\"";
  std::wstring commandLine = L"/bin/sh -c " + engine::QuoteArgument(engine::Utf8ToWide(wrapped)) +
                             L" sh " + engine::QuoteArgument(engine::Utf8ToWide(done));
  for (const std::string& a : args)
    commandLine += L" " + engine::QuoteArgument(engine::Utf8ToWide(a));
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(L"/bin/sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return std::string();
  }
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
  if (!WaitFor([&] { return GetFileAttributesW(output.c_str()) != INVALID_FILE_ATTRIBUTES; },
               30000)) {
    return std::string();
  }
  const std::string text = ReadAll(output);
  DeleteFileW(output.c_str());
  return text;
}

int LinuxSide::OwnPid() {
  return std::atoi(ReadAll(L"Z:\\proc\\self\\stat").c_str());
}

std::vector<Listener> ListenersOf(const std::vector<int>& pids) {
  std::string list;
  for (int pid : pids) list += std::to_string(pid) + " ";
  // The sockets the processes hold, then the listening ones of the machine's tables: the
  // inode (column 10) and the local address (column 2, the port in hexadecimal after ':').
  const std::string text = LinuxSide::Run(
      "for p in $1; do ls -l /proc/$p/fd 2>/dev/null; done |"
      " sed -n 's/.*socket:\\[\\([0-9]*\\)\\].*/\\1/p' | sort -u > \"$2.held\";"
      " awk 'NR > 1 && $4 == \"0A\" { print $10, $2 }' /proc/net/tcp /proc/net/tcp6 |"
      " while read i a; do grep -qx \"$i\" \"$2.held\" && echo \"$i $a\"; done;"
      " rm -f \"$2.held\"",
      {list, LinuxSide::UnixPath(TempFile(L"listeners-"))});
  std::vector<Listener> listeners;
  std::istringstream lines(text);
  std::string inode, address;
  while (lines >> inode >> address) {
    Listener l;
    l.inode = inode;
    l.port =
        static_cast<int>(std::strtol(address.substr(address.find(':') + 1).c_str(), nullptr, 16));
    listeners.push_back(l);
  }
  return listeners;
}

std::vector<int> BrowserProcesses(const std::wstring& profileFolder) {
  // The browser is the process given the profile folder that is not one of its helpers;
  // its helpers share the session it was started in.
  const std::string text = LinuxSide::Run(
      "b=$(ps -e -o pid=,args= | grep -F -e \"--user-data-dir=$1\" | grep -v -e '--type=' |"
      " grep -v grep | awk '{ print $1; exit }');"
      " [ -n \"$b\" ] && ps -e -o pid=,sid= | awk -v s=\"$b\" '$2 == s { print $1 }'",
      {LinuxSide::UnixPath(profileFolder)});
  std::vector<int> pids;
  std::istringstream numbers(text);
  int pid;
  while (numbers >> pid) pids.push_back(pid);
  return pids;
}

}  // namespace engine_test
