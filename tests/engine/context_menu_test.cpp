// The items a context menu starts with, before the client's handler changes them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/context_menu.h"

namespace {

struct MenuCase {
  const char* name;
  bool editable;
  const char* selection;
  bool canGoBack, canGoForward, loading;
  std::vector<int> expected;
};

const MenuCase kMenus[] = {
    {"a page", false, "", false, false, false, {MENU_ID_RELOAD}},
    {"a page with history",
     false,
     "",
     true,
     true,
     false,
     {MENU_ID_BACK, MENU_ID_FORWARD, MENU_ID_RELOAD}},
    {"a loading page", false, "", true, false, true, {MENU_ID_BACK, MENU_ID_STOPLOAD}},
    {"selected text", false, "words", true, false, false, {MENU_ID_COPY}},
    {"a text field",
     true,
     "",
     true,
     false,
     false,
     {MENU_ID_UNDO, MENU_ID_REDO, -1, MENU_ID_CUT, MENU_ID_COPY, MENU_ID_PASTE, MENU_ID_DELETE, -1,
      MENU_ID_SELECT_ALL}},
};

TEST(ContextMenu, TheMenuStartsWithWhatFitsWhereItWasAskedFor) {
  for (const MenuCase& c : kMenus) {
    CefContextMenuParams::Data params;
    params.editable = c.editable;
    params.selectionText = c.selection;
    CefRefPtr<CefMenuModel> model =
        engine::DefaultMenuModel(params, c.canGoBack, c.canGoForward, c.loading);
    std::vector<int> commands;
    for (size_t i = 0; i < model->GetCount(); ++i) commands.push_back(model->GetCommandIdAt(i));
    EXPECT_EQ(commands, c.expected) << c.name;
    for (size_t i = 0; i < model->GetCount(); ++i) {
      const bool separator = model->GetCommandIdAt(i) < 0;
      EXPECT_EQ(model->GetLabelAt(i).empty(), separator) << c.name << " item " << i;
    }
  }
}

}  // namespace
