#include "engine/base/small_file.h"

#include <windows.h>

namespace engine {

std::string ReadSmallFile(const std::wstring& path, size_t limit) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string text(limit, '\0');
  DWORD got = 0;
  if (!ReadFile(file, &text[0], static_cast<DWORD>(limit), &got, nullptr)) got = 0;
  CloseHandle(file);
  text.resize(got);
  return text;
}

}  // namespace engine
