#include "engine/cef/cef_callbacks.h"

bool CefMenuModel::Clear() {
  std::lock_guard<std::mutex> hold(lock_);
  items_.clear();
  return true;
}

size_t CefMenuModel::GetCount() const {
  std::lock_guard<std::mutex> hold(lock_);
  return items_.size();
}

bool CefMenuModel::AddItem(int commandId, const CefString& label) {
  std::lock_guard<std::mutex> hold(lock_);
  items_.push_back(Item{commandId, label});
  return true;
}

// Separators carry the command identifier -1.
bool CefMenuModel::AddSeparator() {
  return AddItem(-1, CefString());
}

bool CefMenuModel::Remove(int commandId) {
  std::lock_guard<std::mutex> hold(lock_);
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (it->commandId == commandId) {
      items_.erase(it);
      return true;
    }
  }
  return false;
}

int CefMenuModel::GetCommandIdAt(size_t index) const {
  std::lock_guard<std::mutex> hold(lock_);
  return index < items_.size() ? items_[index].commandId : -1;
}

CefString CefMenuModel::GetLabelAt(size_t index) const {
  std::lock_guard<std::mutex> hold(lock_);
  return index < items_.size() ? items_[index].label : CefString();
}
