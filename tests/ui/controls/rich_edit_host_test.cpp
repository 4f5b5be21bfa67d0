// The host side of the rich edit against a small text engine of the test's own, for what
// the platform's engine cannot be made to show: timers, scroll-bar requests for bars that do
// not exist, notifications and a missing engine.
#include <windows.h>

#include <richedit.h>
#include <textserv.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ui/controls/c_txt_win_host.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/v_box.h"
#include "ui/core/window/i_ui_message_filter.h"
#include "ui/core/window/window_test_util.h"
#include "ui/services/on_screen_keyboard_manager.h"

namespace ui {
namespace {

using window_test::CreateShown;
using window_test::Drain;
using window_test::PumpUntil;

constexpr int kWait = 20000;

// Answers what the edit asks and records what it is sent.
class FakeTextServices final : public ITextServices {
 public:
  static FakeTextServices* last;
  static bool refuse;

  static HRESULT WINAPI Create(IUnknown*, ITextHost* host, IUnknown** result) {
    if (refuse) return E_FAIL;
    last = new FakeTextServices(host);
    *result = last;
    return S_OK;
  }

  explicit FakeTextServices(ITextHost* host) : host(host) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = static_cast<ITextServices*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references;
    if (left == 0) {
      if (last == this) last = nullptr;
      delete this;
    }
    return left;
  }

  HRESULT TxSendMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result) override {
    messages.push_back(msg);
    if (msg == WM_TIMER) ++timerFires[static_cast<UINT>(wparam)];
    LRESULT answer = 0;
    if (msg == EM_GETTEXTLENGTHEX) answer = static_cast<LRESULT>(text.size());
    if (msg == EM_EXSETSEL) selection = *reinterpret_cast<CHARRANGE*>(lparam);
    if (msg == EM_GETSELTEXT) {
      // Exactly the selected characters and the terminating zero, as the engine writes.
      const std::wstring selected = text.substr(selection.cpMin, selection.cpMax - selection.cpMin);
      memcpy(reinterpret_cast<wchar_t*>(lparam), selected.c_str(),
             (selected.size() + 1) * sizeof(wchar_t));
      answer = static_cast<LRESULT>(selected.size());
    }
    if (result) *result = answer;
    return S_OK;
  }
  HRESULT TxDraw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECTL, LPCRECTL, LPRECT,
                 WINBOOL(CALLBACK*)(DWORD), DWORD, LONG) override {
    ++draws;
    return S_OK;
  }
  HRESULT TxGetHScroll(LONG*, LONG*, LONG*, LONG*, WINBOOL*) override { return E_NOTIMPL; }
  HRESULT TxGetVScroll(LONG*, LONG*, LONG*, LONG*, WINBOOL*) override { return E_NOTIMPL; }
  HRESULT OnTxSetCursor(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECT, INT, INT) override {
    return S_OK;
  }
  HRESULT TxQueryHitPoint(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECT, INT, INT,
                          DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT OnTxInPlaceActivate(LPCRECT) override { return S_OK; }
  HRESULT OnTxInPlaceDeactivate() override { return S_OK; }
  HRESULT OnTxUIActivate() override { return S_OK; }
  HRESULT OnTxUIDeactivate() override { return S_OK; }
  HRESULT TxGetText(BSTR* result) override {
    *result = ::SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
    return S_OK;
  }
  HRESULT TxSetText(LPCWSTR value) override {
    text = value ? value : L"";
    return S_OK;
  }
  HRESULT TxGetCurTargetX(LONG*) override { return E_NOTIMPL; }
  HRESULT TxGetBaseLinePos(LONG*) override { return E_NOTIMPL; }
  HRESULT TxGetNaturalSize(DWORD, HDC, HDC, DVTARGETDEVICE*, DWORD, const SIZEL*, LONG*,
                           LONG* height) override {
    *height = naturalHeight;
    return S_OK;
  }
  HRESULT TxGetDropTarget(IDropTarget**) override { return E_NOTIMPL; }
  HRESULT OnTxPropertyBitsChange(DWORD mask, DWORD bits) override {
    propertyChanges.push_back({mask, bits});
    return S_OK;
  }
  HRESULT TxGetCachedSize(DWORD*, DWORD*) override { return E_NOTIMPL; }

  ITextHost* host;
  ULONG references = 1;
  std::wstring text;
  CHARRANGE selection{};
  LONG naturalHeight = 16;
  int draws = 0;
  std::vector<UINT> messages;
  std::map<UINT, int> timerFires;
  std::vector<std::pair<DWORD, DWORD>> propertyChanges;
};

FakeTextServices* FakeTextServices::last = nullptr;
bool FakeTextServices::refuse = false;

// Writes down the notifications the window receives.
class NotifyRecorder : public IUIMessageFilter {
 public:
  LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override {
    if (message == WM_NOTIFY) {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      codes.push_back(header->code);
      ids.push_back(wParam);
      *handled = true;
    }
    return 0;
  }
  std::vector<UINT> codes;
  std::vector<WPARAM> ids;
};

class RichEditHostTest : public ::testing::Test {
 protected:
  RichEditHostTest() {
    previous_ = CTxtWinHost::SetCreateFunction(&FakeTextServices::Create);
    FakeTextServices::refuse = false;
    UiRegistry::AddFont(L"", L"system", 10, false, false, false, true);
  }
  ~RichEditHostTest() override { CTxtWinHost::SetCreateFunction(previous_); }

  void Show(const std::wstring& attributes = std::wstring()) {
    auto* root = new VBox();
    edit_ = new RichEdit();
    if (!attributes.empty()) edit_->ApplyAttributeList(attributes);
    root->Add(edit_);
    hwnd_ = CreateShown(&window_, UiRect{100, 100, 400, 300}, root, false);
    ASSERT_TRUE(hwnd_);
    engine_ = FakeTextServices::last;
  }
  ITextHost* Host() { return engine_->host; }
  int Fires(UINT id) { return engine_->timerFires[id]; }

  control_test::UiScope ui_;
  CTxtWinHost::CreateFunction previous_ = nullptr;
  window_test::TestNativeWindow window_;
  HWND hwnd_ = nullptr;
  RichEdit* edit_ = nullptr;
  FakeTextServices* engine_ = nullptr;
};

TEST_F(RichEditHostTest, TheEngineIsSetUpAsTheEditSays) {
  Show(L"text=\"preset\" rich=\"true\" align=\"hcenter\" readonly=\"true\" vscrollbar=\"true\"");
  ASSERT_TRUE(engine_);
  EXPECT_EQ(engine_->text, L"preset");
  DWORD bits = 0;
  Host()->TxGetPropertyBits(0xFFFFFFFF, &bits);
  EXPECT_TRUE(bits & TXTBIT_RICHTEXT);
  EXPECT_TRUE(bits & TXTBIT_MULTILINE);
  EXPECT_TRUE(bits & TXTBIT_READONLY);
  EXPECT_TRUE(bits & TXTBIT_HIDESELECTION);
  EXPECT_TRUE(bits & TXTBIT_WORDWRAP);
  EXPECT_FALSE(bits & TXTBIT_USEPASSWORD);
  DWORD bars = 0;
  Host()->TxGetScrollBars(&bars);
  EXPECT_EQ(bars, static_cast<DWORD>(WS_VSCROLL | ES_DISABLENOSCROLL));
  const PARAFORMAT* para = nullptr;
  Host()->TxGetParaFormat(&para);
  EXPECT_EQ(para->wAlignment, PFA_CENTER);
  EXPECT_EQ(para->cTabCount, 1);
  EXPECT_EQ(para->rgxTabs[0], 720);
  TXTBACKSTYLE back = TXTBACK_OPAQUE;
  Host()->TxGetBackStyle(&back);
  EXPECT_EQ(back, TXTBACK_TRANSPARENT);
  DWORD maxLength = 0;
  Host()->TxGetMaxLength(&maxLength);
  EXPECT_EQ(maxLength, 0x7FFFu);
  // The change notification only.
  const auto& sent = engine_->messages;
  EXPECT_NE(std::find(sent.begin(), sent.end(), static_cast<UINT>(EM_SETEVENTMASK)), sent.end());
}

TEST_F(RichEditHostTest, TheCharacterFormatComesFromTheFontAndTheTextColour) {
  UiRegistry::AddFont(L"big", L"system", 20, true, true, false, false);
  UiRegistry::AddTextColor(L"teal", L"#FF102030");
  Show(L"font=\"big\" normaltextcolor=\"teal\"");
  const CHARFORMATW* format = nullptr;
  Host()->TxGetCharFormat(&format);
  EXPECT_TRUE(format->dwEffects & CFE_BOLD);
  EXPECT_TRUE(format->dwEffects & CFE_UNDERLINE);
  EXPECT_FALSE(format->dwEffects & CFE_ITALIC);
  EXPECT_EQ(format->crTextColor, RGB(0x10, 0x20, 0x30));
  // The font's height of 20 pixels, in twips at the screen's resolution.
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(format->yHeight, ::MulDiv(20, 1440, dpi));
}

TEST_F(RichEditHostTest, ATimerSetAgainUnderItsIdentifierReplacesTheOldOne) {
  Show();
  EXPECT_TRUE(Host()->TxSetTimer(1, 20));
  EXPECT_TRUE(Host()->TxSetTimer(1, 600000));
  EXPECT_TRUE(Host()->TxSetTimer(2, 20));
  ASSERT_TRUE(PumpUntil([&] { return Fires(2) >= 5; }, kWait));
  EXPECT_EQ(Fires(1), 0);
  // A killed timer stops.
  Host()->TxKillTimer(2);
  const int fired = Fires(2);
  EXPECT_TRUE(Host()->TxSetTimer(3, 20));
  ASSERT_TRUE(PumpUntil([&] { return Fires(3) >= 5; }, kWait));
  EXPECT_EQ(Fires(2), fired);
}

TEST_F(RichEditHostTest, ScrollRequestsForBarsThatDoNotExistDoNothing) {
  Show();
  Host()->TxSetScrollRange(SB_VERT, 0, 5000, TRUE);
  Host()->TxSetScrollPos(SB_VERT, 300, TRUE);
  Host()->TxSetScrollRange(SB_HORZ, 0, 5000, TRUE);
  Host()->TxSetScrollPos(SB_HORZ, 300, TRUE);
  Host()->TxEnableScrollBar(SB_BOTH, ESB_DISABLE_BOTH);
  Host()->TxSetScrollRange(7, 0, 5000, TRUE);
  EXPECT_EQ(edit_->GetVerticalScrollBar(), nullptr);
  EXPECT_EQ(edit_->GetHorizontalScrollBar(), nullptr);
  EXPECT_EQ(edit_->GetScrollRange().cy, 0);
}

TEST_F(RichEditHostTest, TheScrollRangeIsTheContentLessTheViewAndTheBarTakesItsRoom) {
  Show(L"vscrollbar=\"true\"");
  RECT before{};
  Host()->TxGetClientRect(&before);
  const int view = before.bottom - before.top;
  Host()->TxSetScrollRange(SB_VERT, 0, view + 500, TRUE);
  EXPECT_EQ(edit_->GetScrollRange().cy, 500);
  RECT after{};
  Host()->TxGetClientRect(&after);
  EXPECT_EQ(after.right, before.right - edit_->GetVerticalScrollBar()->GetFixedWidth());
  Host()->TxSetScrollPos(SB_VERT, 120, TRUE);
  EXPECT_EQ(edit_->GetScrollPos().cy, 120);
  // Content that fits has no range; the bar gives its room back.
  Host()->TxSetScrollRange(SB_VERT, 0, view, TRUE);
  EXPECT_EQ(edit_->GetScrollRange().cy, 0);
  Host()->TxGetClientRect(&after);
  EXPECT_EQ(after.right, before.right);
  // Both arrows disabled: no range either.
  Host()->TxSetScrollRange(SB_VERT, 0, view + 500, TRUE);
  Host()->TxEnableScrollBar(SB_VERT, ESB_DISABLE_BOTH);
  EXPECT_EQ(edit_->GetScrollRange().cy, 0);
}

TEST_F(RichEditHostTest, EngineNotificationsBecomeEventsAndWindowNotifications) {
  Show();
  NotifyRecorder recorder;
  window_.AddMessageFilter(&recorder);
  ::SetWindowLongPtrW(hwnd_, GWLP_ID, 77);
  int changes = 0;
  edit_->AttachEvent(kEventTextChange, [&changes](EventArgs*) {
    ++changes;
    return true;
  });
  Host()->TxNotify(EN_CHANGE, nullptr);
  EXPECT_EQ(changes, 1);

  SELCHANGE selection{};
  Host()->TxNotify(EN_SELCHANGE, &selection);
  Host()->TxNotify(EN_IMECHANGE, nullptr);
  ASSERT_EQ(recorder.codes.size(), 1u);
  EXPECT_EQ(recorder.codes[0], static_cast<UINT>(EN_SELCHANGE));
  EXPECT_EQ(recorder.ids[0], 77u);
  window_.RemoveMessageFilter(&recorder);
}

TEST_F(RichEditHostTest, ALinkOfAnyLengthIsReadWhole) {
  Show();
  NotifyRecorder recorder;
  window_.AddMessageFilter(&recorder);
  engine_->text = L"go to " + std::wstring(5000, L'x') + L" now";
  ENLINK link{};
  link.msg = WM_LBUTTONUP;
  link.chrg = CHARRANGE{6, 5006};
  Host()->TxNotify(EN_LINK, &link);
  EXPECT_EQ(engine_->selection.cpMin, 6);
  EXPECT_EQ(engine_->selection.cpMax, 5006);
  ASSERT_EQ(recorder.codes.size(), 1u);
  EXPECT_EQ(recorder.codes[0], static_cast<UINT>(EN_LINK));
  // Other mouse messages over a link do nothing.
  link.msg = WM_MOUSEMOVE;
  Host()->TxNotify(EN_LINK, &link);
  EXPECT_EQ(recorder.codes.size(), 1u);
  window_.RemoveMessageFilter(&recorder);
}

TEST_F(RichEditHostTest, WithoutAnEngineTheEditKeepsItsTextAndStillPrompts) {
  FakeTextServices::refuse = true;
  UiRegistry::AddTextColor(L"red", L"#FFFF0000");
  Show(L"text=\"kept\" prompttext=\"Account\" promptcolor=\"red\"");
  EXPECT_FALSE(edit_->HasEngine());
  EXPECT_EQ(edit_->GetText(), L"kept");
  EXPECT_EQ(edit_->SendTextMessage(WM_CHAR, 'a', 0), 1);
  EXPECT_EQ(edit_->GetNaturalSize(50).cx, 50);
  EXPECT_EQ(edit_->GetNaturalSize(50).cy, 0);
  edit_->SetFocus();
  ::SendMessageW(hwnd_, WM_CHAR, 'x', 1);
  ::SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::SendMessageW(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Drain();
  EXPECT_EQ(edit_->GetText(), L"kept");
  // Emptied, it shows its prompt.
  edit_->SetText(L"");
  ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(edit_->GetTextLength(), 0);
}

bool PretendWindows8() {
  return true;
}

HRESULT STDAPICALLTYPE NoKeyboardObject(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID* object) {
  *object = nullptr;
  return E_FAIL;
}

HINSTANCE WINAPI NoKeyboardProgram(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT) {
  return reinterpret_cast<HINSTANCE>(2);
}

TEST_F(RichEditHostTest, APointerPressAsksForTheTouchKeyboardAndLosingTheFocusPutsItAway) {
  const auto version = OnScreenKeyboardManager::SetVersionCheck(&PretendWindows8);
  const auto create = OnScreenKeyboardManager::SetCreateInstance(&NoKeyboardObject);
  const auto execute = OnScreenKeyboardManager::SetShellExecute(&NoKeyboardProgram);
  Show();
  OnScreenKeyboardManager& keyboard = OnScreenKeyboardManager::Instance();
  edit_->SetFocus();
  edit_->SendEvent(kEventButtonDown, MK_LBUTTON, 0, 0, 0.0f, UiPoint{5, 5});
  EXPECT_FALSE(keyboard.IsRequestedVisible());
  edit_->SendEvent(kEventPointerDown, 0, 0, 0, 0.5f, UiPoint{5, 5});
  EXPECT_TRUE(keyboard.IsRequestedVisible());
  window_.SetFocusControl(nullptr);
  EXPECT_FALSE(keyboard.IsRequestedVisible());
  Drain();
  OnScreenKeyboardManager::SetVersionCheck(version);
  OnScreenKeyboardManager::SetCreateInstance(create);
  OnScreenKeyboardManager::SetShellExecute(execute);
}

struct StyleCase {
  const wchar_t* attributes;
  std::uint32_t set;
  std::uint32_t cleared;
};

class RichEditStyleTest : public ::testing::TestWithParam<StyleCase> {};

TEST_P(RichEditStyleTest, AttributesSetTheEditStyle) {
  control_test::UiScope ui;
  RichEdit edit;
  edit.ApplyAttributeList(GetParam().attributes);
  EXPECT_EQ(edit.GetStyle() & GetParam().set, GetParam().set) << GetParam().attributes;
  EXPECT_EQ(edit.GetStyle() & GetParam().cleared, 0u) << GetParam().attributes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RichEditStyleTest,
    ::testing::Values(
        StyleCase{L"", RichEdit::kStyleMultiline, RichEdit::kStyleVScroll | RichEdit::kStyleNumber},
        StyleCase{L"multiline=\"false\"", 0, RichEdit::kStyleMultiline},
        StyleCase{L"multiline=\"maybe\"", RichEdit::kStyleMultiline, 0},
        StyleCase{L"vscrollbar=\"true\"", RichEdit::kStyleVScroll | RichEdit::kStyleNumber, 0},
        StyleCase{L"vscrollbar=\"true\" vscrollbar=\"no\"", 0,
                  RichEdit::kStyleVScroll | RichEdit::kStyleNumber},
        StyleCase{L"vscrollbar=\"true\" hscrollbar=\"true\" vscrollbar=\"no\"",
                  RichEdit::kStyleHScroll | RichEdit::kStyleNumber, RichEdit::kStyleVScroll},
        StyleCase{L"autovscroll=\"true\" autohscroll=\"true\"",
                  RichEdit::kStyleAutoVScroll | RichEdit::kStyleAutoHScroll, 0},
        StyleCase{L"readonly=\"true\" password=\"true\" number=\"true\"",
                  RichEdit::kStyleReadOnly | RichEdit::kStylePassword | RichEdit::kStyleNumber, 0},
        StyleCase{L"align=\"hcenter\"", RichEdit::kStyleCenter, RichEdit::kStyleRight},
        StyleCase{L"align=\"right\"", RichEdit::kStyleRight, RichEdit::kStyleCenter},
        StyleCase{L"align=\"right\" align=\"left\"", 0,
                  RichEdit::kStyleRight | RichEdit::kStyleCenter}));

TEST(RichEditAttributeTest, FlagsColoursAndPrompt) {
  control_test::UiScope ui;
  RichEdit edit;
  edit.ApplyAttributeList(
      L"wanttab=\"false\" wantreturnmsg=\"true\" returnmsgwantctrl=\"true\" align=\"vcenter\" "
      L"normaltextcolor=\"   blue\" disabledtextcolor=\"grey\" promptmode=\"true\" "
      L"prompttext=\"Name\" rich=\"true\"");
  EXPECT_FALSE(edit.IsWantTab());
  EXPECT_FALSE(edit.WantsTab());
  EXPECT_TRUE(edit.IsWantReturnMsg());
  EXPECT_TRUE(edit.IsReturnMsgWantCtrl());
  EXPECT_EQ(edit.GetVerticalAlign(), 1);
  EXPECT_EQ(edit.GetNormalTextColor(), L"blue");
  EXPECT_EQ(edit.GetTextColor(), L"blue");
  EXPECT_EQ(edit.GetDisabledTextColor(), L"grey");
  EXPECT_TRUE(edit.IsPromptMode());
  EXPECT_EQ(edit.GetPromptText(), L"Name");
  EXPECT_TRUE(edit.IsRich());
  // Text set before the engine exists is kept for it.
  edit.SetText(L"early");
  EXPECT_EQ(edit.GetText(), L"early");
}

}  // namespace
}  // namespace ui
