#include "runtime/path_util.h"

#include <windows.h>

namespace kbase {

namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HMODULE ThisModule() {
  MEMORY_BASIC_INFORMATION info = {};
  if (VirtualQuery(reinterpret_cast<const void*>(&ThisModule), &info, sizeof(info)) == 0) {
    return nullptr;
  }
  return static_cast<HMODULE>(info.AllocationBase);
}

std::wstring ModuleFileName(HMODULE module) {
  // Grow past MAX_PATH so that a deep install folder is not cut short.
  std::wstring name(MAX_PATH, L'\0');
  while (true) {
    const DWORD length = GetModuleFileNameW(module, &name[0], static_cast<DWORD>(name.size()));
    if (length == 0) return std::wstring();
    if (length < name.size()) {
      name.resize(length);
      return name;
    }
    name.resize(name.size() * 2);
  }
}

bool CreateOneFolder(const std::wstring& prefix) {
  if (IsFolder(prefix)) return true;
  if (CreateDirectoryW(prefix.c_str(), nullptr)) return true;
  return GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(prefix);
}

}  // namespace

std::wstring FolderOfModulePath(const std::wstring& file_name) {
  for (size_t i = file_name.size(); i-- > 1;) {
    if (IsSeparator(file_name[i])) {
      return file_name.substr(0, i + 1);
    }
  }
  return std::wstring();
}

std::wstring ModuleFolder() {
  return FolderOfModulePath(ModuleFileName(ThisModule()));
}

bool CreateFolderPath(const std::wstring& path) {
  if (path.empty()) return false;
  if (IsFolder(path)) return true;
  // Each prefix that ends before a separator, then the whole path.
  for (size_t i = 1; i <= path.size(); ++i) {
    const bool end_of_component = i == path.size() || IsSeparator(path[i]);
    if (!end_of_component || IsSeparator(path[i - 1])) continue;
    if (!CreateOneFolder(path.substr(0, i))) return false;
  }
  return true;
}

}  // namespace kbase
