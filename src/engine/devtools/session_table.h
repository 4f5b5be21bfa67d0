#pragma once

// Which browser each page session of the connection belongs to. The engine UI thread adds
// and removes sessions as pages start and end; the decoding and renderer threads look them
// up as frames and script contexts arrive.

#include <map>
#include <mutex>
#include <string>

namespace engine {

class SessionTable {
 public:
  struct Entry {
    int browserId = 0;
    std::string targetId;
  };

  void Add(const std::string& session, const Entry& entry) {
    std::lock_guard<std::mutex> hold(lock_);
    sessions_[session] = entry;
  }
  void Remove(const std::string& session) {
    std::lock_guard<std::mutex> hold(lock_);
    sessions_.erase(session);
  }
  bool Find(const std::string& session, Entry& entry) const {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = sessions_.find(session);
    if (it == sessions_.end()) return false;
    entry = it->second;
    return true;
  }

 private:
  mutable std::mutex lock_;
  std::map<std::string, Entry> sessions_;
};

}  // namespace engine
