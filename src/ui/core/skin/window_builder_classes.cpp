// The class-name table of layout files: element names to the controls they make.
#include <map>

#include "ui/core/skin/child_box.h"
#include "ui/core/skin/window_builder.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/h_box.h"
#include "ui/core/tree/tab_box.h"
#include "ui/core/tree/tile_box.h"
#include "ui/core/tree/v_box.h"

namespace ui {

namespace {

template <typename T>
Control* Make() {
  return new T();
}

// The core's own classes; the control libraries add theirs with AddControlClass.
std::map<std::wstring, ControlFactory>& Classes() {
  static std::map<std::wstring, ControlFactory> classes{
      {L"Box", &Make<Box>},         {L"HBox", &Make<HBox>},     {L"VBox", &Make<VBox>},
      {L"TileBox", &Make<TileBox>}, {L"TabBox", &Make<TabBox>}, {L"ChildBox", &Make<ChildBox>},
      {L"Control", &Make<Control>},
  };
  return classes;
}

}  // namespace

Control* WindowBuilder::CreateControlByClass(const std::wstring& className) {
  const auto& classes = Classes();
  auto found = classes.find(className);
  return found == classes.end() ? nullptr : found->second();
}

bool WindowBuilder::IsKnownClass(const std::wstring& className) {
  return Classes().count(className) != 0;
}

void WindowBuilder::AddControlClass(const std::wstring& className, ControlFactory factory) {
  if (factory) Classes()[className] = std::move(factory);
}

}  // namespace ui
