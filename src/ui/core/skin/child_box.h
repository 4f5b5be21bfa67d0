#pragma once

#include <functional>
#include <string>

#include "ui/core/tree/box.h"

namespace ui {

// A box filled from another layout file when it is attached to its window.
class ChildBox : public Box {
 public:
  // Builds the control tree of a layout file, or nothing when the file does not build.
  using Loader = std::function<Control*(const std::wstring& file)>;
  // Replaces how files are built (the window builder's document cache); none restores it.
  static void SetLoader(Loader loader);

  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  // Replaces the control's Init: builds the file's tree and adds it as the only child. A
  // box already filled from its file stays as it is when it is attached again; a box inside
  // the tree of its own file stays empty.
  void Init() override;

  const std::wstring& GetChildLayoutXml() const { return xmlFile_; }
  void SetChildLayoutXml(const std::wstring& file) { xmlFile_ = file; }

 private:
  std::wstring xmlFile_;
  std::wstring loadedFile_;
  bool insideOwnFile_ = false;
};

}  // namespace ui
