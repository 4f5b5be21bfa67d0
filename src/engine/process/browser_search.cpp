#include "engine/process/browser_search.h"

#include <windows.h>

namespace engine {
namespace {

CandidateSource& Source() {
  static CandidateSource source;
  return source;
}

std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(value, length) : std::wstring();
}

// The default value of an App Paths key, or empty.
std::wstring AppPath(HKEY root, const wchar_t* program) {
  const std::wstring key =
      std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + program;
  wchar_t value[MAX_PATH];
  DWORD size = sizeof(value);
  if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS) {
    return std::wstring();
  }
  std::wstring path(value);
  // Some installers write the path in quotes.
  if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') {
    path = path.substr(1, path.size() - 2);
  }
  return path;
}

}  // namespace

std::vector<std::wstring> DefaultBrowserCandidates() {
  const std::wstring roots[] = {Environment(L"LOCALAPPDATA"), Environment(L"ProgramFiles"),
                                Environment(L"ProgramFiles(x86)")};
  const wchar_t* const browsers[] = {L"\\Chromium\\Application\\chrome.exe",
                                     L"\\Google\\Chrome\\Application\\chrome.exe",
                                     L"\\Microsoft\\Edge\\Application\\msedge.exe"};
  std::vector<std::wstring> candidates;
  for (const wchar_t* browser : browsers) {
    for (const std::wstring& root : roots) {
      if (!root.empty()) candidates.push_back(root + browser);
    }
  }
  for (const wchar_t* program : {L"chrome.exe", L"msedge.exe"}) {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      const std::wstring path = AppPath(root, program);
      if (!path.empty()) candidates.push_back(path);
    }
  }
  return candidates;
}

std::wstring FirstExistingFile(const std::vector<std::wstring>& candidates) {
  for (const std::wstring& path : candidates) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return path;
    }
  }
  return std::wstring();
}

std::wstring ResolveBrowser(const std::wstring& configured) {
  if (!configured.empty() && configured != L"auto") return configured;
  const CandidateSource& source = Source();
  return FirstExistingFile(source ? source() : DefaultBrowserCandidates());
}

void SetBrowserCandidateSource(CandidateSource source) {
  Source() = std::move(source);
}

}  // namespace engine
