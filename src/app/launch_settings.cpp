#include "app/launch_settings.h"

#include <shlwapi.h>
#include <windows.h>

namespace {

// The values are read into buffers of 260 characters, as the launcher writes them.
constexpr DWORD kValueBuffer = 260;
// Settings files are a few lines; anything larger is not one.
constexpr ULONGLONG kLargestSettingsFile = 1024 * 1024;

bool ReadableSettingsFile(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return size <= kLargestSettingsFile;
}

}  // namespace

std::wstring FileBesideExecutable(const std::wstring& name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  PathRemoveFileSpecW(path);
  wchar_t combined[MAX_PATH] = {};
  if (!PathCombineW(combined, path, name.c_str())) return std::wstring();
  return combined;
}

std::wstring ReadIniValue(const std::wstring& iniPath, const wchar_t* section, const wchar_t* key) {
  if (!ReadableSettingsFile(iniPath)) return std::wstring();
  wchar_t value[kValueBuffer] = {};
  GetPrivateProfileStringW(section, key, L"", value, kValueBuffer, iniPath.c_str());
  value[kValueBuffer - 1] = L'\0';
  return value;
}

LaunchSettings LaunchSettings::Read(const std::wstring& iniPath) {
  LaunchSettings settings;
  settings.uid = ReadIniValue(iniPath, L"vexmor", L"uid");
  settings.filename = ReadIniValue(iniPath, L"vexmor", L"filename");
  settings.token = ReadIniValue(iniPath, L"vexmor", L"token");
  return settings;
}

std::wstring LaunchSettings::LoginAddress(const std::wstring& accessUrl) const {
  return accessUrl + L"&uid=" + uid + L"&suid=" + filename + L"&token=" + token;
}
