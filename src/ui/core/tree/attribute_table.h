#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <unordered_map>
#include <utility>

#include "ui/core/tree/attribute_values.h"
#include "ui/core/tree/control_state.h"

namespace ui {

// The layout attributes one class reads itself, each name with the setter it runs on a
// control of that class. A class keeps one table and hands every name the table does not
// know to its base class, so a name is read by the most derived class that knows it.
template <typename T>
class AttributeTable {
 public:
  using Setter = std::function<void(T& target, const std::wstring& value)>;
  using StateSetter = std::function<void(T& target, ControlState state, const std::wstring& value)>;
  struct Entry {
    const wchar_t* name;
    Setter setter;
  };
  // The names of one setter that differ only in the state they name: the prefix, then
  // "normal", "hot", "pushed" or "disabled", then the suffix.
  struct StateEntry {
    const wchar_t* prefix;
    const wchar_t* suffix;
    StateSetter setter;
  };

  AttributeTable(std::initializer_list<Entry> entries,
                 std::initializer_list<StateEntry> stateEntries = {}) {
    for (const Entry& entry : entries) setters_.emplace(entry.name, entry.setter);
    for (const StateEntry& entry : stateEntries) AddStates(entry);
  }

  // Runs the setter of the name on the target; false when the table does not know it.
  bool Apply(T& target, const std::wstring& name, const std::wstring& value) const {
    const auto it = setters_.find(name);
    if (it == setters_.end()) return false;
    it->second(target, value);
    return true;
  }

 private:
  void AddStates(const StateEntry& entry) {
    for (int i = 0; i < kControlStateCount; ++i) {
      const ControlState state = static_cast<ControlState>(i);
      const StateSetter setter = entry.setter;
      setters_.emplace(
          std::wstring(entry.prefix) + StateWord(state) + entry.suffix,
          [setter, state](T& target, const std::wstring& value) { setter(target, state, value); });
    }
  }

  std::unordered_map<std::wstring, Setter> setters_;
};

}  // namespace ui
