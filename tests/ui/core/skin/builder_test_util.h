#pragma once

#include <string>

#include "ui/core/tree/control.h"

namespace builder_test {

// A built tree in one line: each control as its class, "#name" when it has one, and a box's
// children in brackets, e.g. "VBox#list[Control#a,HBox]".
std::string Describe(const ui::Control* control);

// A control that counts how many of its kind are alive.
class CountedControl : public ui::Control {
 public:
  CountedControl() { ++alive; }
  ~CountedControl() override { --alive; }
  static int alive;
};

}  // namespace builder_test
