// The system cursors that stand for a page's CSS cursors.

#include <gtest/gtest.h>

#include <windows.h>

#include "engine/input/cursor_shape.h"

namespace {

struct CursorCase {
  const char* css;
  const wchar_t* expected;
};

const CursorCase kCursors[] = {
    {"pointer", IDC_HAND},
    {"text", IDC_IBEAM},
    {"wait", IDC_WAIT},
    {"progress", IDC_APPSTARTING},
    {"crosshair", IDC_CROSS},
    {"move", IDC_SIZEALL},
    {"ns-resize", IDC_SIZENS},
    {"col-resize", IDC_SIZEWE},
    {"nesw-resize", IDC_SIZENESW},
    {"se-resize", IDC_SIZENWSE},
    {"not-allowed", IDC_NO},
    {"help", IDC_HELP},
    {"default", IDC_ARROW},
    {"auto", IDC_ARROW},
    {"zoom-in", IDC_ARROW},
    {"", IDC_ARROW},
    {"none", nullptr},
    {"url(\"hand.cur\") 4 4, pointer", IDC_HAND},
    {"url(a.png), url(b.cur),  text ", IDC_IBEAM},
};

TEST(CursorShape, CssCursorsShowTheirSystemCursor) {
  for (const CursorCase& c : kCursors) {
    EXPECT_EQ(engine::SystemCursorName(c.css), c.expected) << c.css;
  }
}

}  // namespace
