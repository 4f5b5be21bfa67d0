#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace test_files {

// A fresh folder under the temporary folder for one test, removed with the files written
// into it when the object goes.
class TempFolder {
 public:
  explicit TempFolder(const std::wstring& prefix) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int serial = 0;
    path_ = std::wstring(temp) + prefix + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(++serial) + L"\\";
    created_ = CreateDirectoryW(path_.c_str(), nullptr) != 0;
  }
  ~TempFolder() {
    for (const std::wstring& file : files_) DeleteFileW(file.c_str());
    RemoveDirectoryW(path_.c_str());
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  bool Created() const { return created_; }
  // The folder, ending in a backslash.
  const std::wstring& Path() const { return path_; }

  // Writes the bytes to a file of the folder; the full path, or empty when it failed.
  std::wstring Write(const std::wstring& name, const std::string& bytes) {
    const std::wstring path = path_ + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::wstring();
    files_.push_back(path);
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    CloseHandle(file);
    return ok ? path : std::wstring();
  }

 private:
  std::wstring path_;
  std::vector<std::wstring> files_;
  bool created_ = false;
};

}  // namespace test_files
