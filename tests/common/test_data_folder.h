#pragma once

#include <windows.h>

#include <string>

namespace test_data {

// The folder of the tests' data files (tests/data) as a full Windows path ending in a
// backslash: ctest names it in TARNWICK_TEST_DATA; a program started by hand falls back
// to the source tree it was built from.
inline std::wstring Folder() {
  wchar_t setting[MAX_PATH];
  const DWORD settingLength = GetEnvironmentVariableW(L"TARNWICK_TEST_DATA", setting, MAX_PATH);
  const std::wstring chosen =
      settingLength > 0 && settingLength < MAX_PATH ? setting : TARNWICK_SOURCE_TEST_DATA;
  // The setting may be a Unix-style path; the full form is what Windows code expects.
  wchar_t full[MAX_PATH];
  const DWORD fullLength = GetFullPathNameW(chosen.c_str(), MAX_PATH, full, nullptr);
  std::wstring folder = fullLength > 0 && fullLength < MAX_PATH ? full : chosen;
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

// The full Windows form of a path, or the path as it is when it has none.
inline std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? full : path;
}

}  // namespace test_data
