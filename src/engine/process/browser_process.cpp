#include "engine/process/browser_process.h"

#include <windows.h>

#include "engine/base/small_file.h"
#include "engine/base/utf8.h"
#include "engine/core/backend.h"
#include "engine/process/browser_search.h"
#include "engine/process/child_pipes.h"
#include "engine/process/sandbox_policy.h"
#include "engine/process/watchdog_script.h"
#include "engine/process/wine_paths.h"
#include "engine/transport/pipe_channel.h"
#include "engine/transport/websocket_channel.h"

namespace engine {
namespace {

const char* const kFlags[] = {
    "--headless",
    "--disable-gpu",
    "--disable-background-networking",
    "--disable-component-update",
    "--no-first-run",
    "--disable-sync",
    "--disable-back-forward-cache",
    "--disable-popup-blocking",
};

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Removes a folder with everything in it.
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path + L"\\");
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

std::wstring ModuleFolder() {
  std::wstring path(MAX_PATH, L'\0');
  while (true) {
    const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

std::wstring TrimBlanks(const std::wstring& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Starts a Windows program that inherits the given handles and, where the system can limit
// inheritance to a list, no other inheritable handle of this process.
bool CreateProcessInheriting(const std::wstring& program, std::wstring& commandLine,
                             const STARTUPINFOW& startup, std::vector<HANDLE> inherited,
                             DWORD flags, PROCESS_INFORMATION& process) {
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<unsigned char> storage(size);
  auto list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
  bool limited =
      !inherited.empty() && size > 0 && InitializeProcThreadAttributeList(list, 1, 0, &size);
  if (limited &&
      !UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited.data(),
                                 inherited.size() * sizeof(HANDLE), nullptr, nullptr)) {
    DeleteProcThreadAttributeList(list);
    limited = false;
  }
  STARTUPINFOEXW extended = {};
  extended.StartupInfo = startup;
  extended.StartupInfo.cb = limited ? sizeof(extended) : sizeof(startup);
  extended.lpAttributeList = limited ? list : nullptr;
  const BOOL ok =
      CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, !inherited.empty(),
                     flags | (limited ? EXTENDED_STARTUPINFO_PRESENT : 0), nullptr, nullptr,
                     &extended.StartupInfo, &process);
  if (limited) DeleteProcThreadAttributeList(list);
  return ok != FALSE;
}

}  // namespace

BrowserProcess::~BrowserProcess() {
  Stop();
}

void BrowserProcess::RemoveFolder(const std::wstring& folder) {
  RemoveTree(folder);
}

std::wstring BrowserProcess::DefaultIniPath() {
  return ModuleFolder() + L"cef\\engine.ini";
}

bool BrowserProcess::IsEngineSwitch(const std::wstring& name) {
  // The sandbox is the engine's to decide too: engine.ini cannot turn it off.
  for (const wchar_t* own : {L"--remote-debugging", L"--user-data-dir", L"--headless",
                             L"--no-sandbox", L"--disable-setuid-sandbox"}) {
    // Chromium reads switch names without regard to case on Windows.
    if (_wcsnicmp(name.c_str(), own, wcslen(own)) == 0) return true;
  }
  return false;
}

std::vector<std::wstring> BrowserProcess::SplitSwitches(const std::wstring& text) {
  std::vector<std::wstring> switches;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    const bool cut = i == text.size() || (IsBlank(text[i]) && text.compare(i + 1, 2, L"--") == 0);
    if (!cut) continue;
    const std::wstring piece = TrimBlanks(text.substr(start, i - start));
    if (piece.size() > 2 && piece.compare(0, 2, L"--") == 0) switches.push_back(piece);
    start = i + 1;
  }
  return switches;
}

std::vector<std::wstring> BrowserProcess::ConfiguredSwitches(const std::wstring& iniPath) {
  if (!FileExists(iniPath)) return {};
  std::wstring value(32768, L'\0');
  const DWORD n = GetPrivateProfileStringW(L"engine", L"switches", L"", &value[0],
                                           static_cast<DWORD>(value.size()), iniPath.c_str());
  value.resize(n);
  return SplitSwitches(value);
}

std::wstring BrowserProcess::ConfiguredBrowser(const std::wstring& iniPath) {
  std::wstring value;
  if (FileExists(iniPath)) {
    value.assign(4096, L'\0');
    const DWORD n = GetPrivateProfileStringW(L"engine", L"browser", L"", &value[0],
                                             static_cast<DWORD>(value.size()), iniPath.c_str());
    value.resize(n);
  }
  // No browser named: one installed on the machine, if there is one.
  return ResolveBrowser(value);
}

ControlChannel BrowserProcess::ConfiguredChannel(const std::wstring& iniPath) {
  wchar_t value[16] = {};
  if (FileExists(iniPath))
    GetPrivateProfileStringW(L"engine", L"channel", L"", value, 16, iniPath.c_str());
  return _wcsicmp(value, L"port") == 0 ? ControlChannel::kPort : ControlChannel::kPipe;
}

bool BrowserProcess::PrepareFolder(const StartOptions& options) {
  folder_ = options.cachePath;
  if (!folder_.empty() && folder_.back() != L'\\' && folder_.back() != L'/') folder_ += L'\\';
  if (!folder_.empty()) CreateDirectoryW(folder_.c_str(), nullptr);
  if (folder_.empty() || GetFileAttributesW(folder_.c_str()) == INVALID_FILE_ATTRIBUTES) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"engine-profile-" + std::to_wstring(GetCurrentProcessId()) +
              L"-" + std::to_wstring(GetTickCount()) + L"\\";
    if (!CreateDirectoryW(folder_.c_str(), nullptr)) return false;
    temporaryFolder_ = true;
  }
  DeleteFileW((folder_ + L"DevToolsActivePort").c_str());
  DeleteFileW((folder_ + L"cdp-ready").c_str());
  DeleteFileW((folder_ + L"engine-exited").c_str());
  Touch();
  return true;
}

std::vector<std::string> BrowserProcess::BrowserFlags(ControlChannel channel,
                                                      const SandboxFacts& facts) {
  std::vector<std::string> flags(std::begin(kFlags), std::end(kFlags));
  if (NeedsNoSandbox(facts)) flags.push_back("--no-sandbox");
  flags.push_back(channel == ControlChannel::kPipe ? "--remote-debugging-pipe"
                                                   : "--remote-debugging-port=0");
  return flags;
}

// A browser given as a Windows path is turned into the Linux one.
std::string BrowserProcess::LinuxBrowserPath(const std::wstring& browser) {
  std::string path = WideToUtf8(browser);
  if (path.empty() || path[0] != '/') path = UnixPath(browser);
  return path;
}

bool BrowserProcess::Launch(const std::wstring& browser, const StartOptions& options,
                            unsigned timeoutMs, ControlChannel channel) {
  if (browser.empty()) {
    error_ = "no browser is named in engine.ini";
    return false;
  }
  if (!PrepareFolder(options)) {
    error_ = "the browser profile folder cannot be made";
    return false;
  }
  native_ = windowsProgram_ || !RunsUnderWine();
  channel_ = channel;
  SandboxFacts facts;
  facts.wine = !native_;
  // Without an answer the sandbox stays on: a browser that cannot start says so.
  if (facts.wine) ProbeLinuxSandbox(LinuxBrowserPath(browser), folder_, timeoutMs, facts);
  std::vector<std::string> flags = BrowserFlags(channel_, facts);
  for (const std::wstring& s : options.extraSwitches) {
    if (!IsEngineSwitch(s)) flags.push_back(WideToUtf8(s));
  }
  const bool started = native_ ? StartNative(browser, flags, options.logFile)
                               : StartUnderWine(browser, flags, options.logFile);
  if (!started) {
    error_ = "the browser could not be started";
    Stop();
    return false;
  }
  heartbeat_ = std::thread([this] { Heartbeat(); });
  if (!(channel_ == ControlChannel::kPipe ? WaitForPipe(timeoutMs) : WaitForPort(timeoutMs))) {
    Stop();
    return false;
  }
  return true;
}

bool BrowserProcess::StartUnderWine(const std::wstring& browser,
                                    const std::vector<std::string>& flags,
                                    const std::wstring& logFile) {
  const std::string script = WatchdogScript();
  const std::string browserPath = LinuxBrowserPath(browser);
  std::string logPath;
  if (!logFile.empty()) {
    HANDLE log = CreateFileW(logFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, 0, nullptr);
    if (log != INVALID_HANDLE_VALUE) CloseHandle(log);
    logPath = UnixPath(logFile);
  }
  const std::vector<std::string> args = {"-c",
                                         script,
                                         "sh",
                                         browserPath,
                                         UnixPath(folder_),
                                         UnixPath(folder_ + L"heartbeat"),
                                         logPath,
                                         UnixPath(folder_ + L"engine-exited"),
                                         channel_ == ControlChannel::kPipe ? "pipe" : ""};
  std::wstring commandLine = L"/bin/sh";
  for (const std::string& a : args) commandLine += L" " + QuoteArgument(Utf8ToWide(a));
  for (const std::string& f : flags) commandLine += L" " + QuoteArgument(Utf8ToWide(f));
  return StartUnixShell(commandLine);
}

bool BrowserProcess::StartNative(const std::wstring& browser, const std::vector<std::string>& flags,
                                 const std::wstring& logFile) {
  std::wstring commandLine = QuoteArgument(browser);
  for (const std::string& f : flags) commandLine += L" " + QuoteArgument(Utf8ToWide(f));
  commandLine += L" " + QuoteArgument(L"--user-data-dir=" + folder_) + L" about:blank";
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE output =
      CreateFileW(logFile.empty() ? L"NUL" : logFile.c_str(), FILE_APPEND_DATA,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_ALWAYS, 0, nullptr);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = output;
  std::vector<HANDLE> inherited;
  if (output != INVALID_HANDLE_VALUE) inherited.push_back(output);
  std::vector<unsigned char> descriptors;
  if (channel_ == ControlChannel::kPipe) {
    pipes_.reset(new ChildPipes);
    if (!pipes_->Create()) {
      if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
      return false;
    }
    // The browser's C runtime opens its descriptors 3 and 4 on the handles the block names.
    descriptors = pipes_->DescriptorBlock();
    startup.cbReserved2 = static_cast<WORD>(descriptors.size());
    startup.lpReserved2 = descriptors.data();
    inherited.push_back(pipes_->ChildReads());
    inherited.push_back(pipes_->ChildWrites());
  }
  PROCESS_INFORMATION process = {};
  const bool ok = CreateProcessInheriting(browser, commandLine, startup, inherited,
                                          CREATE_SUSPENDED | CREATE_NO_WINDOW, process);
  if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
  // The browser holds its ends now; ours would keep each pipe open after it has gone.
  if (pipes_) pipes_->CloseChildEnds();
  if (!ok) return false;
  // The job ends the browser when the client ends, however it ends.
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job) {
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    AssignProcessToJobObject(job, process.hProcess);
  }
  job_ = job;
  process_ = process.hProcess;
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);
  return true;
}

void BrowserProcess::EndNative() {
  pipes_.reset();
  // Closing the job ends the browser and every process it started.
  if (job_) {
    CloseHandle(job_);
    job_ = nullptr;
  } else if (process_) {
    TerminateProcess(process_, 1);
  }
  if (process_) {
    WaitForSingleObject(process_, 10000);
    CloseHandle(process_);
    process_ = nullptr;
  }
}

bool BrowserProcess::WaitForPort(unsigned timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    const std::string text = ReadSmallFile(folder_ + L"DevToolsActivePort", 1024);
    const size_t newline = text.find('\n');
    if (newline != std::string::npos && newline > 0) {
      port_ = std::atoi(text.substr(0, newline).c_str());
      browserPath_ = text.substr(newline + 1);
      while (!browserPath_.empty() &&
             (browserPath_.back() == '\n' || browserPath_.back() == '\r')) {
        browserPath_.pop_back();
      }
      if (port_ > 0 && port_ < 65536 && browserPath_.compare(0, 10, "/devtools/") == 0) return true;
    }
    if (HasExited()) {
      error_ = "the browser ended before it opened its DevTools port";
      return false;
    }
    Sleep(25);
  }
  error_ = "the browser did not open its DevTools port in time";
  return false;
}

bool BrowserProcess::WaitForPipe(unsigned timeoutMs) {
  // A Windows program has its pipes from the start.
  if (native_) return true;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    if (FileExists(folder_ + L"cdp-ready")) return true;
    if (HasExited()) {
      error_ = "the browser ended before its pipes were made";
      return false;
    }
    Sleep(25);
  }
  error_ = "the browser's pipes were not made in time";
  return false;
}

std::unique_ptr<CdpChannel> BrowserProcess::MakeChannel() {
  if (channel_ == ControlChannel::kPort)
    return std::make_unique<WebSocketChannel>("127.0.0.1", port_, browserPath_);
  if (native_) {
    if (!pipes_) return nullptr;
    auto pipe = std::make_unique<PipeChannel>(pipes_->TakeToChild(), pipes_->TakeFromChild());
    pipes_.reset();
    return pipe;
  }
  // The script holds both FIFOs open until cdp-ready is gone, so neither open waits.
  std::unique_ptr<CdpChannel> pipe =
      PipeChannel::OpenFifos(folder_ + L"cdp-in", folder_ + L"cdp-out");
  DeleteFileW((folder_ + L"cdp-ready").c_str());
  return pipe;
}

bool BrowserProcess::HasExited() const {
  if (process_) return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
  return FileExists(folder_ + L"engine-exited");
}

void BrowserProcess::Touch() {
  HANDLE file = CreateFileW((folder_ + L"heartbeat").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                            nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  // The watchdog looks for a change, so each beat writes a new count.
  const std::string beat = std::to_string(++beats_);
  DWORD written = 0;
  WriteFile(file, beat.data(), static_cast<DWORD>(beat.size()), &written, nullptr);
  CloseHandle(file);
}

void BrowserProcess::Heartbeat() {
  std::unique_lock<std::mutex> hold(lock_);
  while (!stopping_) {
    hold.unlock();
    Touch();
    hold.lock();
    wake_.wait_for(hold, std::chrono::seconds(1), [this] { return stopping_; });
  }
}

void BrowserProcess::Stop() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (heartbeat_.joinable()) heartbeat_.join();
  if (folder_.empty()) return;
  // Without its heartbeat the watchdog ends the browser within a second or two.
  DeleteFileW((folder_ + L"heartbeat").c_str());
  const bool watched = !native_ && RunsUnderWine();
  EndNative();
  if (temporaryFolder_) {
    // The browser may still hold its profile for a moment.
    for (int i = 0; i < 100 && watched && !HasExited(); ++i) Sleep(100);
    RemoveTree(folder_);
    temporaryFolder_ = false;
  }
  folder_.clear();
}

}  // namespace engine
