#include "app/data_folder.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <utility>

namespace {

constexpr wchar_t kFolderName[] = L"cef_temp\\";
constexpr wchar_t kProductFolder[] = L"Tarnwick\\";
constexpr wchar_t kProbeName[] = L"write-probe.tmp";

DWORD AttributesOf(const std::wstring& path) {
  return GetFileAttributesW(path.c_str());
}

bool IsPlainFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

DataFolder::DataFolder(WritableTest writable, std::wstring localAppData)
    : writable_(std::move(writable)), localAppData_(std::move(localAppData)) {}

DataFolder DataFolder::ForThisUser() {
  return DataFolder(&DataFolder::CanWriteIn, LocalAppData());
}

std::wstring DataFolder::Choose(const std::wstring& programFolder) const {
  const std::wstring beside = programFolder + kFolderName;
  const DWORD attributes = AttributesOf(beside.substr(0, beside.size() - 1));
  // A folder left by an earlier run decides by itself: an elevated first run may have
  // made it where the player can write nothing. A link planted there by someone else
  // leads to a folder the player does not own, and is never used.
  const bool useBeside = attributes == INVALID_FILE_ATTRIBUTES
                             ? writable_(programFolder)
                             : IsPlainFolder(attributes) && writable_(beside);
  if (useBeside || localAppData_.empty()) return beside;
  return localAppData_ + L"\\" + kProductFolder + kFolderName;
}

bool DataFolder::CanWriteIn(const std::wstring& folder) {
  const std::wstring probe = folder + kProbeName;
  HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    // One left by a run that ended mid-probe says nothing: try once more without it.
    if (GetLastError() != ERROR_FILE_EXISTS || !DeleteFileW(probe.c_str())) return false;
    file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
  }
  CloseHandle(file);
  return true;
}

std::wstring DataFolder::LocalAppData() {
  PWSTR path = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path)) && path) {
    folder = path;
  }
  CoTaskMemFree(path);
  return folder;
}
