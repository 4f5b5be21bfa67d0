#include "file_watcher.h"

#include <set>
#include <utility>

#include "ui/core/files/file_handle.h"
#include "ui/services/timer_queue.h"

namespace {

constexpr DWORD kNotifyFilter =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash + 1);
}

uint64_t Now() {
  return ::GetTickCount64();
}

}  // namespace

FileWatcher::FileWatcher(ChangedCallback changed) : changed_(std::move(changed)) {}

FileWatcher::~FileWatcher() {
  CloseNotifications();
}

void FileWatcher::Watch(const std::vector<std::wstring>& files) {
  files_ = files;
  stamps_ = Stamps();
  hashes_ = Hashes();
  settling_ = false;
  CloseNotifications();
  OpenNotifications();
  nextPoll_ = Now() + kPollMs;
  if (!ticking_) {
    ticking_ = true;
    ui::TimerQueue::Instance().Schedule(
        *this, [this] { Check(); }, kCheckMs, ui::TimerQueue::kRepeatForever);
  }
}

void FileWatcher::OpenNotifications() {
  std::set<std::wstring> folders;
  for (const std::wstring& file : files_) folders.insert(FolderOf(file));
  for (const std::wstring& folder : folders) {
    const HANDLE handle = ::FindFirstChangeNotificationW(folder.c_str(), FALSE, kNotifyFilter);
    // A folder that is not there yet is left to the stamp comparison.
    if (handle != INVALID_HANDLE_VALUE) notifications_.push_back(handle);
  }
}

void FileWatcher::CloseNotifications() {
  for (HANDLE handle : notifications_) ::FindCloseChangeNotification(handle);
  notifications_.clear();
}

bool FileWatcher::TakeNotification() {
  bool any = false;
  for (HANDLE handle : notifications_) {
    if (::WaitForSingleObject(handle, 0) != WAIT_OBJECT_0) continue;
    any = true;
    ::FindNextChangeNotification(handle);
  }
  return any;
}

void FileWatcher::Check() {
  const uint64_t now = Now();
  bool activity = false;
  if (TakeNotification()) {
    notificationsSeen_ = true;
    notifiedSinceSettle_ = true;
    activity = true;
    // The stamps are taken now, so that the next comparison does not see this step again
    // and put the report off once more.
    stamps_ = Stamps();
    nextPoll_ = now + kPollMs;
  }
  if (now >= nextPoll_) {
    nextPoll_ = now + kPollMs;
    std::map<std::wstring, Stamp> stamps = Stamps();
    if (stamps != stamps_) {
      stamps_ = std::move(stamps);
      activity = true;
    }
  }
  if (activity) {
    // Each step of a save starts the wait again.
    settling_ = true;
    settleAt_ = now + kSettleMs;
    return;
  }
  if (settling_ && now >= settleAt_) Settled();
}

void FileWatcher::Settled() {
  settling_ = false;
  stamps_ = Stamps();
  std::map<std::wstring, uint64_t> hashes = Hashes();
  const bool notified = notifiedSinceSettle_;
  notifiedSinceSettle_ = false;
  if (hashes == hashes_) return;
  std::vector<std::wstring> changed;
  for (const auto& entry : hashes) {
    auto before = hashes_.find(entry.first);
    if (before == hashes_.end() || before->second != entry.second) changed.push_back(entry.first);
  }
  hashes_ = std::move(hashes);
  if (!notified) foundByPollingOnly_ = true;
  changed_(changed);
}

FileWatcher::Stamp FileWatcher::StampOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  Stamp stamp;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return stamp;
  stamp.exists = true;
  stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp.time = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
               data.ftLastWriteTime.dwLowDateTime;
  return stamp;
}

uint64_t FileWatcher::HashOf(const std::wstring& path) {
  // Another program may hold the file open for writing at this moment.
  ui::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsOpen()) return 0;
  // FNV-1a: enough to tell an edited file from an untouched one.
  uint64_t hash = 14695981039346656037ull;
  char buffer[16384];
  DWORD read = 0;
  while (::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    for (DWORD i = 0; i < read; ++i) {
      hash = (hash ^ static_cast<unsigned char>(buffer[i])) * 1099511628211ull;
    }
  }
  return hash == 0 ? 1 : hash;
}

std::map<std::wstring, FileWatcher::Stamp> FileWatcher::Stamps() const {
  std::map<std::wstring, Stamp> stamps;
  for (const std::wstring& file : files_) stamps[file] = StampOf(file);
  return stamps;
}

std::map<std::wstring, uint64_t> FileWatcher::Hashes() const {
  std::map<std::wstring, uint64_t> hashes;
  for (const std::wstring& file : files_) hashes[file] = HashOf(file);
  return hashes;
}
