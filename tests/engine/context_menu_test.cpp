// The items a context menu starts with, before the client's handler changes them.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/core/context_menu.h"

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

TEST(ContextMenu, TheNativeMenuHoldsTheModelsItems) {
  CefRefPtr<CefMenuModel> model = CefMenuModel::Create();
  model->AddItem(MENU_ID_USER_FIRST, L"Open in \u65B0 window");
  model->AddSeparator();
  model->AddItem(MENU_ID_COPY, L"&Copy");
  HMENU menu = engine::MakePopupMenu(model);
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 3);
  const UINT ids[] = {MENU_ID_USER_FIRST, 0, MENU_ID_COPY};  // a separator has none
  const wchar_t* labels[] = {L"Open in \u65B0 window", L"", L"&Copy"};
  for (int i = 0; i < 3; ++i) {
    MENUITEMINFOW item = {};
    wchar_t label[64] = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    item.dwTypeData = label;
    item.cch = 64;
    ASSERT_TRUE(GetMenuItemInfoW(menu, i, TRUE, &item)) << i;
    EXPECT_EQ((item.fType & MFT_SEPARATOR) != 0, i == 1) << i;
    EXPECT_EQ(item.wID, ids[i]) << i;
    EXPECT_EQ(std::wstring(label), labels[i]) << i;
  }
  DestroyMenu(menu);
}

}  // namespace
