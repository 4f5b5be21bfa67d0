// Skinned windows building their skin files through the window builder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/string_util.h"
#include "ui/controls/control_classes.h"
#include "ui/core/skin/window_impl_base.h"
#include "ui/core/temp_folder.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/window/window_test_util.h"

namespace ui {
namespace {

using control_test::UiScope;
using window_test::Drain;

class FileSkinWindow : public WindowImplBase {
 public:
  std::wstring GetWindowClassName() const override { return L"TarnwickFileSkinTest"; }
  std::wstring GetSkinFolder() override { return L"skin"; }
  std::wstring GetSkinFile() override { return skinFile; }
  Control* CreateControl(const std::wstring& className) override {
    asked.push_back(className);
    if (className != L"Custom") return nullptr;
    auto* made = new Control();
    made->SetName(L"from_window");
    return made;
  }

  std::wstring skinFile = L"main.xml";
  std::vector<std::wstring> asked;
};

class SkinBuildTest : public ::testing::Test {
 protected:
  SkinBuildTest() {
    AddControlClasses();
    UiRegistry::SetResourcePath(folder_.path());
    WindowImplBase::SetMessageBoxFunction([this](HWND, const wchar_t* text, const wchar_t*, UINT) {
      shown_.push_back(text);
      return IDOK;
    });
  }
  ~SkinBuildTest() override {
    WindowImplBase::SetMessageBoxFunction(nullptr);
    Drain();
  }

  UiScope ui_;
  TempFolder folder_;
  std::vector<std::wstring> shown_;
};

TEST_F(SkinBuildTest, TheSkinFileGivesTheTreeAndTheWindowsSettings) {
  folder_.Write(L"skin\\main.xml",
                R"(<Window size="200,100" caption="0,0,0,24" sizebox="3,3,3,3" mininfo="100,50">
                     <VBox name="body"><Custom/><Mystery/>
                       <Button name="closebtn" text="x" width="20" height="20"/></VBox></Window>)");
  auto* window = new FileSkinWindow();
  const HWND hwnd =
      window->CreateNativeWindow(nullptr, L"built", WS_POPUP, 0, true, UiRect{0, 0, 50, 50});
  ASSERT_TRUE(hwnd);
  EXPECT_NE(window->FindControlByName(L"body"), nullptr);
  EXPECT_NE(window->FindControlByName(L"from_window"), nullptr);
  EXPECT_NE(window->FindControlByName(L"closebtn"), nullptr);
  EXPECT_EQ(window->asked, (std::vector<std::wstring>{L"Custom", L"Mystery"}));
  EXPECT_EQ(window->caption, (UiRect{0, 0, 0, 24}));
  EXPECT_EQ(window->sizeBox, (UiRect{3, 3, 3, 3}));
  EXPECT_EQ(window->GetMinSize(), (UiSize{128, 78}));
  RECT placed{};
  ::GetWindowRect(hwnd, &placed);
  EXPECT_EQ(placed.right - placed.left, 228);
  EXPECT_EQ(placed.bottom - placed.top, 128);
  EXPECT_TRUE(shown_.empty());
  ::DestroyWindow(hwnd);
}

TEST_F(SkinBuildTest, AMissingSkinFileIsReported) {
  auto* window = new FileSkinWindow();
  window->skinFile = L"missing.xml";
  const HWND hwnd =
      window->CreateNativeWindow(nullptr, L"missing", WS_POPUP, 0, true, UiRect{0, 0, 50, 50});
  EXPECT_EQ(hwnd, nullptr);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_NE(shown_[0].find(L"skin\\missing.xml"), std::wstring::npos)
      << kbase::WideToUtf8(shown_[0]);
}

}  // namespace
}  // namespace ui
