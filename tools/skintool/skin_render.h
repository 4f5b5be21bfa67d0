#pragma once

#include <string>

#include "skin_location.h"

// What `skintool render` draws: the layout built as the client builds it, in a hidden
// layered window of the size the layout (or the designer) gives, its surface written with
// its alpha to a PNG file.
struct RenderRequest {
  SkinLocation where;
  std::wstring output;
  // The window's size without its shadow band; 0 takes the layout's own (or 400 x 300
  // when it has none).
  int width = 0;
  int height = 0;
};

// Empty when the picture was written, else what went wrong.
std::wstring RenderLayout(const RenderRequest& request);
