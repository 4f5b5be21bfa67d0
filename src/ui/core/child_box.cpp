#include "ui/core/child_box.h"

namespace ui {

namespace {

ChildBox::Loader& CurrentLoader() {
  static ChildBox::Loader loader;
  return loader;
}

}  // namespace

void ChildBox::SetLoader(Loader loader) {
  CurrentLoader() = std::move(loader);
}

void ChildBox::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"xmlfile") {
    xmlFile_ = value;
  } else {
    Box::SetAttribute(name, value);
  }
}

void ChildBox::Init() {
  if (xmlFile_.empty()) return;
  const Loader& loader = CurrentLoader();
  Control* tree = loader ? loader(xmlFile_) : nullptr;
  if (tree && Add(tree)) return;
  if (tree && !tree->GetParent()) delete tree;
  RemoveAll();
}

}  // namespace ui
