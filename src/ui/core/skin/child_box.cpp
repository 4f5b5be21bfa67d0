#include "ui/core/skin/child_box.h"

#include <algorithm>
#include <vector>

#include "ui/core/skin/window_builder.h"

namespace ui {

namespace {

// Child boxes inside a loaded tree load theirs while the outer one is still adding it.
constexpr size_t kMaxNestedFiles = 16;

ChildBox::Loader& CurrentLoader() {
  static ChildBox::Loader loader;
  return loader;
}

std::vector<std::wstring>& FilesLoading() {
  static std::vector<std::wstring> files;
  return files;
}

Control* LoadTree(const std::wstring& file) {
  const ChildBox::Loader& loader = CurrentLoader();
  return loader ? loader(file) : WindowBuilder::BuildCached(file);
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
  if (xmlFile_.empty() || insideOwnFile_ || (xmlFile_ == loadedFile_ && GetCount() > 0)) return;
  // A file whose tree holds a child box of itself, directly or through others, would
  // load without end: such a box stays empty.
  std::vector<std::wstring>& loading = FilesLoading();
  if (loading.size() >= kMaxNestedFiles ||
      std::find(loading.begin(), loading.end(), xmlFile_) != loading.end()) {
    insideOwnFile_ = true;
    RemoveAll();
    return;
  }
  loading.push_back(xmlFile_);
  Control* tree = LoadTree(xmlFile_);
  const bool added = tree && Add(tree);
  loading.pop_back();
  if (added) {
    loadedFile_ = xmlFile_;
    return;
  }
  if (tree && !tree->GetParent()) delete tree;
  RemoveAll();
}

}  // namespace ui
