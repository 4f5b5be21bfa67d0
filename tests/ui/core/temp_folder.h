#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

// A private folder under the temporary folder, with everything written into it removed
// again when it goes.
class TempFolder {
 public:
  TempFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    path_ = std::wstring(temp) + L"tarnwick_ui_core_" + std::to_wstring(GetCurrentProcessId()) +
            L"_" + std::to_wstring(++counter) + L"\\";
    MakeFolder(path_);
  }
  ~TempFolder() {
    for (auto it = files_.rbegin(); it != files_.rend(); ++it) DeleteFileW(it->c_str());
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) RemoveDirectoryW(it->c_str());
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, ending in a backslash.
  const std::wstring& path() const { return path_; }

  // Writes the bytes to a file at a relative path, making its folders.
  std::wstring Write(const std::wstring& relative, const std::string& bytes) {
    for (size_t slash = relative.find(L'\\'); slash != std::wstring::npos;
         slash = relative.find(L'\\', slash + 1)) {
      MakeFolder(path_ + relative.substr(0, slash));
    }
    const std::wstring file = path_ + relative;
    FILE* out = _wfopen(file.c_str(), L"wb");
    if (out) {
      std::fwrite(bytes.data(), 1, bytes.size(), out);
      std::fclose(out);
      files_.push_back(file);
    }
    return file;
  }

 private:
  void MakeFolder(const std::wstring& folder) {
    if (CreateDirectoryW(folder.c_str(), nullptr)) folders_.push_back(folder);
  }

  std::wstring path_;
  std::vector<std::wstring> files_;
  std::vector<std::wstring> folders_;
};
