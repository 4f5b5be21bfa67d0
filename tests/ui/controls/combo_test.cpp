#include "ui/controls/combo.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/controls/c_combo_wnd.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/v_layout.h"
#include "ui/core/window/window_test_util.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using render_test::PixelAt;
using window_test::At;
using window_test::CreateShown;
using window_test::PumpUntil;

constexpr int kComboHeight = 30;
constexpr int kItemHeight = 30;

// A pop-up that counts its destruction and, when asked, cannot make its window.
class CountedComboWnd : public CComboWnd {
 public:
  CountedComboWnd(int* destroyed, bool fail) : destroyed_(destroyed), fail_(fail) {}
  ~CountedComboWnd() override { ++*destroyed_; }
  HWND CreateNativeWindow(HWND parent, const std::wstring& title, DWORD style, DWORD exStyle,
                          bool layered, const UiRect& rect) override {
    if (fail_) return nullptr;
    return CComboWnd::CreateNativeWindow(parent, title, style, exStyle, layered, rect);
  }

 private:
  int* destroyed_;
  bool fail_;
};

// Its pop-ups count their destruction in a counter that outlives the combo.
class CountedCombo : public Combo {
 public:
  explicit CountedCombo(int* popupsDestroyed) : popupsDestroyed_(popupsDestroyed) {}
  bool failNext = false;

 protected:
  CComboWnd* MakeDropDownWindow() override {
    const bool fail = failNext;
    failNext = false;
    return new CountedComboWnd(popupsDestroyed_, fail);
  }

 private:
  int* popupsDestroyed_;
};

using Attributes = std::vector<std::pair<std::wstring, std::wstring>>;

// A combo 200 x 30 at the top of a real window whose client starts at the screen point of
// the window rectangle; its items are 30 pixels high with black text.
class ComboWindowTest : public ::testing::Test {
 protected:
  void Open(int items, int windowTop = 100, const Attributes& attributes = {}) {
    UiRegistry::AddTextColor(L"combo_text", L"#FF000000");
    UiRegistry::AddTextColor(L"combo_white", L"#FFFFFFFF");
    root_ = new Box(new VLayout());
    root_->SetBkColor(L"combo_white");
    combo_ = new CountedCombo(&popupsDestroyed_);
    combo_->SetFixedWidth(200);
    combo_->SetFixedHeight(kComboHeight);
    for (const auto& [name, value] : attributes) combo_->SetAttribute(name, value);
    for (int i = 0; i < items; ++i) {
      auto* item = new ListContainerElement();
      item->SetFixedHeight(kItemHeight);
      item->SetText(L"item " + std::to_wstring(i));
      item->SetAttribute(L"normaltextcolor", L"combo_text");
      combo_->Add(item);
    }
    combo_->AttachEvent(kEventSelect, [this](EventArgs* args) {
      selects_.push_back({static_cast<int>(args->wParam), static_cast<int>(args->lParam)});
      return true;
    });
    windowTop_ = windowTop;
    hwnd_ = CreateShown(&window_, UiRect{100, windowTop, 400, windowTop + 300}, root_, false);
    root_->Add(combo_);
    PumpUntil([this] { return !window_.NeedsLayout(); }, 5000);
    ::UpdateWindow(hwnd_);
  }

  // Clicks the combo and waits for an opened pop-up's first layout.
  void ClickCombo() {
    ::SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 15));
    ::SendMessageW(hwnd_, WM_LBUTTONUP, 0, At(20, 15));
    CComboWnd* popup = combo_->GetDropDownWindow();
    if (popup && !popup->IsClosing()) PumpUntil([popup] { return !popup->NeedsLayout(); }, 5000);
  }
  HWND Popup() const {
    return combo_->GetDropDownWindow() ? combo_->GetDropDownWindow()->GetHWND() : nullptr;
  }
  RECT PopupRect() const {
    RECT rect{};
    ::GetWindowRect(Popup(), &rect);
    return rect;
  }
  bool WaitClosed() {
    return PumpUntil([this] { return combo_->GetDropDownWindow() == nullptr; }, 20000);
  }
  // Dark pixels of the combo's text on the main window.
  int TextPixels() {
    ::UpdateWindow(hwnd_);
    return render_test::CountWhere(*window_.GetRenderContext(), UiRect{0, 0, 200, kComboHeight},
                                   [](render_test::Pixel p) { return p.r < 0x80; });
  }

  control_test::UiScope ui_;
  window_test::TestNativeWindow window_;
  HWND hwnd_ = nullptr;
  Box* root_ = nullptr;
  CountedCombo* combo_ = nullptr;
  int windowTop_ = 0;
  int popupsDestroyed_ = 0;
  std::vector<std::pair<int, int>> selects_;
};

TEST_F(ComboWindowTest, FiveItemsOpenAPopupCutTo150OnePixelUnderTheCombo) {
  Open(5);
  ASSERT_TRUE(hwnd_);
  int clicks = 0;
  combo_->AttachEvent(kEventClick, [this, &clicks](EventArgs* args) {
    clicks += args->sender == combo_ ? 1 : 100;
    return true;
  });
  EXPECT_EQ(TextPixels(), 0);
  ClickCombo();
  ASSERT_TRUE(Popup());
  EXPECT_EQ(clicks, 1);
  const RECT rect = PopupRect();
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.right, 300);
  EXPECT_EQ(rect.top, 100 + kComboHeight + 1);
  EXPECT_EQ(rect.bottom - rect.top, 150);
  EXPECT_TRUE(::IsWindowVisible(Popup()));
  EXPECT_EQ(combo_->GetListBox()->GetWindow(), combo_->GetDropDownWindow());

  // Choosing item 2 closes the pop-up, sends "select" and shows the item's text.
  const HWND popup = Popup();
  const LPARAM at = At(20, 1 + 2 * kItemHeight + 15);
  ::SendMessageW(popup, WM_MOUSEMOVE, 0, at);
  ::SendMessageW(popup, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageW(popup, WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(WaitClosed());
  EXPECT_FALSE(::IsWindow(popup));
  EXPECT_EQ(popupsDestroyed_, 1);
  EXPECT_EQ(selects_, (std::vector<std::pair<int, int>>{{2, -1}}));
  EXPECT_EQ(combo_->GetCurSel(), 2);
  EXPECT_EQ(combo_->GetText(), L"item 2");
  EXPECT_GT(TextPixels(), 10);
  EXPECT_EQ(combo_->GetListBox()->GetWindow(), nullptr);
  EXPECT_EQ(combo_->GetListBox()->GetParent(), nullptr);
  // The chosen item does not look hovered next time.
  EXPECT_EQ(combo_->GetListBox()->GetItemAt(2)->GetState(), ControlState::kNormal);

  // It opens again; Down moves to the next item and closes it.
  ClickCombo();
  ASSERT_TRUE(Popup());
  ::SendMessageW(Popup(), WM_KEYDOWN, VK_DOWN, 0);
  ASSERT_TRUE(WaitClosed());
  EXPECT_EQ(selects_.back(), (std::pair<int, int>{3, -1}));
  EXPECT_EQ(combo_->GetText(), L"item 3");
}

TEST_F(ComboWindowTest, AClickElsewhereClosesThePopupAndItOpensAgain) {
  Open(3);
  ASSERT_TRUE(hwnd_);
  ClickCombo();
  ASSERT_TRUE(Popup());
  EXPECT_EQ(PopupRect().bottom - PopupRect().top, 92);
  EXPECT_EQ(::GetFocus(), Popup());
  ::SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, At(150, 250));
  ::SendMessageW(hwnd_, WM_LBUTTONUP, 0, At(150, 250));
  ASSERT_TRUE(WaitClosed());
  EXPECT_TRUE(selects_.empty());
  EXPECT_EQ(combo_->GetCurSel(), -1);
  ClickCombo();
  CComboWnd* second = combo_->GetDropDownWindow();
  ASSERT_TRUE(second);
  combo_->Activate();  // already open: nothing more
  EXPECT_EQ(combo_->GetDropDownWindow(), second);
  EXPECT_EQ(popupsDestroyed_, 1);
}

TEST_F(ComboWindowTest, SelectItemChangesTheTextWithoutAnEvent) {
  Open(3);
  ASSERT_TRUE(hwnd_);
  EXPECT_TRUE(combo_->SelectItem(2));
  EXPECT_FALSE(combo_->SelectItem(2));
  EXPECT_FALSE(combo_->SelectItem(3));
  EXPECT_FALSE(combo_->SelectItem(-1));
  EXPECT_TRUE(selects_.empty());
  EXPECT_EQ(combo_->GetText(), L"item 2");
  combo_->Invalidate();
  EXPECT_GT(TextPixels(), 10);
  // A control that is not a list item goes into the list but shows no text.
  EXPECT_TRUE(combo_->Add(new Control()));
  EXPECT_EQ(combo_->GetCount(), 4);
  EXPECT_TRUE(combo_->SelectItem(3));
  EXPECT_EQ(combo_->GetText(), L"");
}

struct PlaceCase {
  const char* name;
  bool popupTop;
  bool nearBottom;
};

class ComboPlaceTest : public ComboWindowTest, public ::testing::WithParamInterface<PlaceCase> {};

TEST_P(ComboPlaceTest, ThePopupGoesAboveWhenAskedOrWhenThereIsNoRoomBelow) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
  const int top = GetParam().nearBottom ? info.rcWork.bottom - 60 : 100;
  Open(5, top, Attributes{{L"popuptop", GetParam().popupTop ? L"true" : L"false"}});
  ASSERT_TRUE(hwnd_);
  ClickCombo();
  ASSERT_TRUE(Popup());
  const RECT rect = PopupRect();
  EXPECT_EQ(rect.bottom, top);
  EXPECT_EQ(rect.top, top - 150);
  EXPECT_EQ(rect.left, 100);
}

INSTANTIATE_TEST_SUITE_P(Places, ComboPlaceTest,
                         ::testing::Values(PlaceCase{"PopupTop", true, false},
                                           PlaceCase{"NearTheBottom", false, true}),
                         [](const ::testing::TestParamInfo<PlaceCase>& info) {
                           return info.param.name;
                         });

TEST_F(ComboWindowTest, DropBoxStylesTheListAndItsSize) {
  UiRegistry::AddTextColor(L"combo_back", L"#FF00FF00");
  UiRegistry::AddTextColor(L"combo_border", L"#FFFF0000");
  Open(1, 100,
       Attributes{{L"dropboxsize", L"0,400"},
                  {L"dropbox", L"bkcolor=\"combo_back\" bordercolor=\"combo_border\""}});
  ASSERT_TRUE(hwnd_);
  EXPECT_EQ(combo_->GetDropBoxWidth(), 0);
  EXPECT_EQ(combo_->GetDropBoxHeight(), 400);
  combo_->GetListBox()->GetItemAt(0)->SetFixedHeight(10);
  ClickCombo();
  ASSERT_TRUE(Popup());
  CComboWnd* popup = combo_->GetDropDownWindow();
  const RECT rect = PopupRect();
  EXPECT_EQ(rect.right - rect.left, 200);
  EXPECT_EQ(rect.bottom - rect.top, 12);
  ::UpdateWindow(Popup());
  IRenderContext& surface = *popup->GetRenderContext();
  EXPECT_EQ(PixelAt(surface, 0, 5).r, 0xFF);
  EXPECT_EQ(PixelAt(surface, 199, 5).r, 0xFF);
  EXPECT_EQ(PixelAt(surface, 100, 0).r, 0xFF);
  EXPECT_EQ(PixelAt(surface, 100, 11).r, 0xFF);
  EXPECT_EQ(PixelAt(surface, 150, 5).g, 0xFF);
  EXPECT_EQ(PixelAt(surface, 150, 5).r, 0x00);
}

TEST_F(ComboWindowTest, APopupThatCannotBeMadeLeavesTheComboAbleToOpen) {
  Open(3);
  ASSERT_TRUE(hwnd_);
  combo_->failNext = true;
  ClickCombo();
  EXPECT_EQ(combo_->GetDropDownWindow(), nullptr);
  EXPECT_EQ(popupsDestroyed_, 1);
  EXPECT_EQ(combo_->GetListBox()->GetParent(), nullptr);
  ClickCombo();
  ASSERT_TRUE(Popup());
  EXPECT_EQ(combo_->GetListBox()->GetWindow(), combo_->GetDropDownWindow());
}

TEST_F(ComboWindowTest, AComboDestroyedWhileOpenClosesItsPopup) {
  Open(3);
  ASSERT_TRUE(hwnd_);
  ClickCombo();
  const HWND popup = Popup();
  ASSERT_TRUE(popup);
  // The combo goes at once while its pop-up is open and has its list.
  root_->SetDelayDestroy(false);
  ASSERT_TRUE(root_->Remove(combo_));
  combo_ = nullptr;
  EXPECT_FALSE(::IsWindowVisible(popup));
  ASSERT_TRUE(PumpUntil([popup] { return !::IsWindow(popup); }, 20000));
  EXPECT_EQ(popupsDestroyed_, 1);
}

// A handler of the chosen item that rebuilds the whole window destroys the combo from
// inside the pop-up's own click.
TEST_F(ComboWindowTest, AClickHandlerThatRebuildsTheWindowClosesThePopup) {
  Open(3);
  ASSERT_TRUE(hwnd_);
  combo_->AttachEvent(kEventSelect, [this](EventArgs*) {
    window_.AttachRoot(new Box());
    return true;
  });
  ClickCombo();
  const HWND popup = Popup();
  ASSERT_TRUE(popup);
  const LPARAM at = At(20, 1 + kItemHeight + 15);
  ::SendMessageW(popup, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageW(popup, WM_LBUTTONUP, 0, at);
  const std::weak_ptr<kbase::WeakFlag> comboAlive = combo_->WeakFlagOf();
  combo_ = nullptr;
  ASSERT_TRUE(PumpUntil([popup] { return !::IsWindow(popup); }, 20000));
  ASSERT_TRUE(PumpUntil([&comboAlive] { return comboAlive.expired(); }, 20000));
  EXPECT_EQ(popupsDestroyed_, 1);
}

}  // namespace
}  // namespace ui
