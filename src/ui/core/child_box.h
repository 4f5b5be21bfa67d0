#pragma once

#include <functional>
#include <string>

#include "ui/core/box.h"

namespace ui {

// A box filled from another layout file when it is attached to its window.
class ChildBox : public Box {
 public:
  // Builds the control tree of a layout file, or nothing when the file does not build.
  using Loader = std::function<Control*(const std::wstring& file)>;
  // The window builder installs how layout files are built; without a loader no file
  // builds.
  static void SetLoader(Loader loader);

  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  // Replaces the control's Init: builds the file's tree and adds it as the only child.
  void Init() override;

  const std::wstring& GetChildLayoutXml() const { return xmlFile_; }
  void SetChildLayoutXml(const std::wstring& file) { xmlFile_ = file; }

 private:
  std::wstring xmlFile_;
};

}  // namespace ui
