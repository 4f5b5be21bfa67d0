#include "ui/core/tree/control_search.h"

#include <cwchar>

#include "ui/core/tree/control.h"

namespace ui {

Control* FindControlByNameBelow(Control* parent, const std::wstring& name) {
  if (!parent) return nullptr;
  std::wstring wanted = name;
  return parent->FindControl(
      [](Control* c, void* data) -> Control* {
        const std::wstring& sought = *static_cast<std::wstring*>(data);
        return !c->GetName().empty() && ::_wcsicmp(c->GetName().c_str(), sought.c_str()) == 0
                   ? c
                   : nullptr;
      },
      &wanted, kFindMeFirst);
}

}  // namespace ui
