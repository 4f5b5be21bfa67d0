#include "engine/process/wine_paths.h"

#include <windows.h>

namespace engine {
namespace {

using UnixFileName = char*(__cdecl*)(const wchar_t*);

UnixFileName WineUnixFileName() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  return kernel ? reinterpret_cast<UnixFileName>(
                      reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")))
                : nullptr;
}

}  // namespace

bool RunsUnderWine() {
  return WineUnixFileName() != nullptr;
}

std::string UnixPath(const std::wstring& path) {
  UnixFileName convert = WineUnixFileName();
  if (!convert || path.empty()) return std::string();
  char* unix = convert(path.c_str());
  if (!unix) return std::string();
  std::string result(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  if (result.size() > 1 && result.back() == '/') result.pop_back();
  return result;
}

std::wstring QuoteArgument(const std::wstring& arg) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

bool StartUnixShell(std::wstring commandLine) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(L"/bin/sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
  return true;
}

}  // namespace engine
