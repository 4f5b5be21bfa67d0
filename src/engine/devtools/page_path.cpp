#include "engine/devtools/page_path.h"

namespace engine {

PagePath PagePath::Global() {
  return PagePath(Root::kGlobal, 0);
}

PagePath PagePath::Kept(int slot) {
  return PagePath(Root::kKept, slot);
}

PagePath PagePath::Result(int slot) {
  return PagePath(Root::kResult, slot);
}

PagePath PagePath::Property(const std::string& key) const {
  PagePath path = *this;
  path.keys_.push_back(key);
  return path;
}

std::string PagePath::Expression() const {
  std::string expression;
  switch (root_) {
    case Root::kGlobal:
      expression = "globalThis";
      break;
    case Root::kKept:
      expression = "window.__engine.refs.get(" + std::to_string(slot_) + ")";
      break;
    case Root::kResult:
      expression = "window.__engine.results.get(" + std::to_string(slot_) + ")";
      break;
  }
  for (const std::string& key : keys_) expression = "(" + expression + ")[" + Dump(json(key)) + "]";
  return expression;
}

json PagePath::Walk() const {
  static const char* const kRoots[] = {"global", "kept", "result"};
  return {{"t", "p"}, {"root", kRoots[static_cast<int>(root_)]}, {"slot", slot_}, {"keys", keys_}};
}

}  // namespace engine
