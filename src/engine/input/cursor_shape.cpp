#include "engine/input/cursor_shape.h"

#include <windows.h>

#include <map>

namespace engine {
namespace {

std::string Keyword(const std::string& css) {
  const size_t comma = css.rfind(',');
  std::string word = comma == std::string::npos ? css : css.substr(comma + 1);
  const size_t first = word.find_first_not_of(" \t");
  const size_t last = word.find_last_not_of(" \t");
  return first == std::string::npos ? std::string() : word.substr(first, last - first + 1);
}

}  // namespace

const wchar_t* SystemCursorName(const std::string& css) {
  static const std::map<std::string, const wchar_t*> cursors = {
      {"pointer", IDC_HAND},
      {"grab", IDC_HAND},
      {"grabbing", IDC_HAND},
      {"text", IDC_IBEAM},
      {"vertical-text", IDC_IBEAM},
      {"wait", IDC_WAIT},
      {"progress", IDC_APPSTARTING},
      {"crosshair", IDC_CROSS},
      {"move", IDC_SIZEALL},
      {"all-scroll", IDC_SIZEALL},
      {"n-resize", IDC_SIZENS},
      {"s-resize", IDC_SIZENS},
      {"ns-resize", IDC_SIZENS},
      {"row-resize", IDC_SIZENS},
      {"e-resize", IDC_SIZEWE},
      {"w-resize", IDC_SIZEWE},
      {"ew-resize", IDC_SIZEWE},
      {"col-resize", IDC_SIZEWE},
      {"ne-resize", IDC_SIZENESW},
      {"sw-resize", IDC_SIZENESW},
      {"nesw-resize", IDC_SIZENESW},
      {"nw-resize", IDC_SIZENWSE},
      {"se-resize", IDC_SIZENWSE},
      {"nwse-resize", IDC_SIZENWSE},
      {"not-allowed", IDC_NO},
      {"no-drop", IDC_NO},
      {"help", IDC_HELP},
      {"none", nullptr},
  };
  auto it = cursors.find(Keyword(css));
  return it == cursors.end() ? IDC_ARROW : it->second;
}

}  // namespace engine
