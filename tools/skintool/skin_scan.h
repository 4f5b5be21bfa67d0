#pragma once

#include <string>
#include <vector>

#include "skin_location.h"

// What a layout needs from the disk, read the way `check` reads it: the layout, the files
// it includes and its child boxes (each checked in turn), the theme's "global.xml" and
// every image they name.
struct SkinScan {
  // The lines `check` prints for each problem, in the order found; empty when the layout
  // would build.
  std::vector<std::wstring> failures;
  // Full paths of every file the build reads, present or not, the layout first.
  std::vector<std::wstring> files;

  static SkinScan Of(const SkinLocation& where);
};
