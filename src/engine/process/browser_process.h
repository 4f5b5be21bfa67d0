#pragma once

// The browser named by the engine folder's engine.ini, started as a process of its own and
// driven over a channel only this client can use: the browser's pipe transport, through two
// FIFOs that the start-up script makes owner-only in the profile folder. Its DevTools port
// (which any local program could reach) is opened only when engine.ini asks for it
// ("channel=port"). On Windows the pipes are two anonymous pipes whose browser ends it inherits
// as its C runtime's descriptors 3 and 4, and a job ends the browser with the client. Under Wine
// the browser is a Linux program without a usable process handle: it is started through /bin/sh
// with a watchdog that ends it once the heartbeat file, rewritten here every second, stops
// changing (see watchdog_script.h);
// so a crashed client leaves no browser behind.

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/process/child_pipes.h"

namespace engine {

struct StartOptions;
struct SandboxFacts;
class CdpChannel;

enum class ControlChannel { kPipe, kPort };

class BrowserProcess {
 public:
  BrowserProcess() = default;
  ~BrowserProcess();
  BrowserProcess(const BrowserProcess&) = delete;
  BrowserProcess& operator=(const BrowserProcess&) = delete;

  // The browser from <folder of the executable>\cef\engine.ini, key "browser" of section
  // "engine"; empty when the file or the key is missing.
  static std::wstring ConfiguredBrowser(const std::wstring& iniPath);
  static std::wstring DefaultIniPath();
  // Extra browser switches from engine.ini, key "switches" of section "engine", split by
  // SplitSwitches; none when the file or the key is missing.
  static std::vector<std::wstring> ConfiguredSwitches(const std::wstring& iniPath);
  // A switch's value may hold blanks, so the text is split only where a blank is followed
  // by "--"; pieces that do not start with "--" are dropped.
  static std::vector<std::wstring> SplitSwitches(const std::wstring& text);
  // Whether a switch is one the engine sets itself (debugging port, profile folder,
  // headless mode, the sandbox): those are never taken from the caller.
  static bool IsEngineSwitch(const std::wstring& name);
  // Key "channel" of section "engine": "port" for the DevTools port, anything else the pipe.
  static ControlChannel ConfiguredChannel(const std::wstring& iniPath);
  // The switches the engine starts its browser with (before the caller's own): the sandbox
  // stays on unless the facts show it cannot work (see sandbox_policy.h).
  static std::vector<std::string> BrowserFlags(ControlChannel channel, const SandboxFacts& facts);
  // The browser's path on the Linux side: as given when it is one, else translated.
  static std::string LinuxBrowserPath(const std::wstring& browser);
  // Removes a folder (ending in a separator) with everything in it.
  static void RemoveFolder(const std::wstring& folder);

  // For tests: starts the browser as a Windows program (inherited pipes, a job) even under
  // Wine, where the browser is otherwise a Linux program.
  void StartAsWindowsProgram(bool windows) { windowsProgram_ = windows; }

  // Starts the browser and waits for its channel; false (with the reason in Error()) when it
  // is missing, does not start or does not answer in time.
  bool Launch(const std::wstring& browser, const StartOptions& options, unsigned timeoutMs,
              ControlChannel channel = ControlChannel::kPipe);
  // The channel to the started browser, not yet open; empty when it cannot be had.
  std::unique_ptr<CdpChannel> MakeChannel();
  ControlChannel Channel() const { return channel_; }
  // The DevTools port, 0 on the pipe.
  int Port() const { return port_; }
  // The profile folder (ending in a separator) while the browser runs.
  const std::wstring& Folder() const { return folder_; }
  // The browser-level DevTools path ("/devtools/browser/...").
  const std::string& BrowserPath() const { return browserPath_; }
  const std::string& Error() const { return error_; }
  // Ends the watchdog (which then ends the browser) and removes a temporary profile.
  void Stop();
  // True once the browser has gone (its process ended, or the watchdog reported it).
  bool HasExited() const;

 private:
  bool PrepareFolder(const StartOptions& options);
  bool StartUnderWine(const std::wstring& browser, const std::vector<std::string>& flags,
                      const std::wstring& logFile);
  bool StartNative(const std::wstring& browser, const std::vector<std::string>& flags,
                   const std::wstring& logFile);
  void EndNative();
  bool WaitForPort(unsigned timeoutMs);
  bool WaitForPipe(unsigned timeoutMs);
  void Heartbeat();
  void Touch();

  std::wstring folder_;  // the profile, also holding the heartbeat and exit marker
  bool temporaryFolder_ = false;
  ControlChannel channel_ = ControlChannel::kPipe;
  int port_ = 0;
  std::string browserPath_;
  std::string error_;
  bool windowsProgram_ = false;
  bool native_ = false;  // started as a Windows program
  void* job_ = nullptr;  // Windows only: ends the browser with the client
  void* process_ = nullptr;
  std::unique_ptr<ChildPipes> pipes_;  // Windows only: until the channel takes its ends
  unsigned long long beats_ = 0;       // the heartbeat's content
  std::thread heartbeat_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool stopping_ = false;
};

}  // namespace engine
