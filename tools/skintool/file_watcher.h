#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "runtime/weak_callback.h"

// Tells, on the UI thread, when the content of any of a set of files has changed on disk,
// and which ones.
// The folders that hold the files are watched with change notifications, and the files'
// sizes and times are compared now and then as well, for file systems whose
// notifications never come. Changes are reported once they have settled: an editor that
// saves in steps (a temporary file, then a rename) causes one report, after its last step,
// and only when some file's content differs from what it was when watching began. Checks
// run from the framework's timer queue; nothing blocks.
class FileWatcher : public kbase::SupportWeakCallback {
 public:
  // How often the notifications are looked at (the timer queue's own step), how often the
  // files' stamps are compared, and how long things must stay quiet before a change is
  // reported: long enough to span the steps of one save, short enough not to be noticed.
  static constexpr int kCheckMs = 16;
  static constexpr int kPollMs = 200;
  static constexpr int kSettleMs = 50;

  // Called with the watched files whose content differs from the last report.
  using ChangedCallback = std::function<void(const std::vector<std::wstring>& changed)>;
  explicit FileWatcher(ChangedCallback changed);
  ~FileWatcher() override;
  FileWatcher(const FileWatcher&) = delete;
  FileWatcher& operator=(const FileWatcher&) = delete;

  // Watches these files from now on, taking their present contents as the unchanged ones.
  void Watch(const std::vector<std::wstring>& files);

  // Whether a change notification has ever come, and whether a change was ever found by
  // comparing stamps without one: notifications that do not fire here.
  bool NotificationsSeen() const { return notificationsSeen_; }
  bool FoundByPollingOnly() const { return foundByPollingOnly_; }

 private:
  struct Stamp {
    bool exists = false;
    uint64_t size = 0;
    uint64_t time = 0;
    bool operator==(const Stamp& other) const {
      return exists == other.exists && size == other.size && time == other.time;
    }
  };
  static Stamp StampOf(const std::wstring& path);
  // Content hash per file; 0 for a file that cannot be read.
  static uint64_t HashOf(const std::wstring& path);
  std::map<std::wstring, Stamp> Stamps() const;
  std::map<std::wstring, uint64_t> Hashes() const;

  void OpenNotifications();
  void CloseNotifications();
  bool TakeNotification();
  void Check();
  void Settled();

  ChangedCallback changed_;
  std::vector<std::wstring> files_;
  std::vector<HANDLE> notifications_;
  std::map<std::wstring, Stamp> stamps_;
  std::map<std::wstring, uint64_t> hashes_;
  // Milliseconds on the tick clock.
  uint64_t nextPoll_ = 0;
  uint64_t settleAt_ = 0;
  bool settling_ = false;
  bool notifiedSinceSettle_ = false;
  bool notificationsSeen_ = false;
  bool foundByPollingOnly_ = false;
  bool ticking_ = false;
};
