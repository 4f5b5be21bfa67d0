#include "ui/services/on_screen_keyboard_manager.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/message_pump.h"
#include "runtime/weak_callback.h"
#include "ui/services/timer_queue.h"

namespace ui {
namespace {

constexpr wchar_t kKeyboardClass[] = L"IPTip_Main_Window";
constexpr wchar_t kVariable[] = L"CommonProgramW6432";
const std::wstring kFallback =
    L"C:\\\\Program Files\\Common Files\\microsoft shared\\ink\\TabTip.exe";
const std::wstring kInFolder = L"\\microsoft shared\\ink\\TabTip.exe";

// Everything the stand-ins for the platform saw.
struct Record {
  int toggles = 0;
  int closes = 0;
  int creations = 0;
  int liveObjects = 0;
  HWND toggledWith = nullptr;
  bool rightClass = false;
  bool rightInterface = false;
  DWORD context = 0;
  std::vector<std::wstring> started;
  std::wstring verb;
  bool noParameters = false;
  bool noDirectory = false;
  INT show = -1;
};

Record g_record;
HWND g_keyboard = nullptr;
bool g_createFails = false;

// Stands in for the keyboard: the close command hides it, as the real one hides itself.
LRESULT CALLBACK KeyboardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
    ++g_record.closes;
    ::ShowWindow(window, SW_HIDE);
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

class FakeInvocation : public ITouchKeyboardInvocation {
 public:
  FakeInvocation() { ++g_record.liveObjects; }
  virtual ~FakeInvocation() { --g_record.liveObjects; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE Toggle(HWND desktop) override {
    ++g_record.toggles;
    g_record.toggledWith = desktop;
    if (g_keyboard) {
      ::ShowWindow(g_keyboard, ::IsWindowVisible(g_keyboard) ? SW_HIDE : SW_SHOWNOACTIVATE);
    }
    return S_OK;
  }

 private:
  ULONG references_ = 1;
};

HRESULT STDAPICALLTYPE FakeCreate(REFCLSID clsid, LPUNKNOWN, DWORD context, REFIID iid,
                                  LPVOID* out) {
  ++g_record.creations;
  // {4CE576FA-83DC-4F88-951C-9D0782B4E376}, {37C994E7-432B-4834-A2F7-DCE1F13B834B}
  const CLSID expectedClass = {
      0x4CE576FA, 0x83DC, 0x4F88, {0x95, 0x1C, 0x9D, 0x07, 0x82, 0xB4, 0xE3, 0x76}};
  const IID expectedInterface = {
      0x37C994E7, 0x432B, 0x4834, {0xA2, 0xF7, 0xDC, 0xE1, 0xF1, 0x3B, 0x83, 0x4B}};
  g_record.rightClass = ::IsEqualGUID(clsid, expectedClass) != FALSE;
  g_record.rightInterface = ::IsEqualGUID(iid, expectedInterface) != FALSE;
  g_record.context = context;
  *out = nullptr;
  if (g_createFails) return REGDB_E_CLASSNOTREG;
  *out = static_cast<ITouchKeyboardInvocation*>(new FakeInvocation());
  return S_OK;
}

HINSTANCE WINAPI FakeShellExecute(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                  LPCWSTR directory, INT show) {
  g_record.verb = verb ? verb : L"";
  g_record.started.push_back(file ? file : L"");
  g_record.noParameters = parameters == nullptr;
  g_record.noDirectory = directory == nullptr;
  g_record.show = show;
  return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

bool NewSystem() {
  return true;
}
bool OldSystem() {
  return false;
}

enum class Keyboard { kAbsent, kHidden, kShown, kShownDisabled };

class OnScreenKeyboardManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_record = Record{};
    g_keyboard = nullptr;
    g_createFails = false;
    previousCheck_ = OnScreenKeyboardManager::SetVersionCheck(&NewSystem);
    previousCreate_ = OnScreenKeyboardManager::SetCreateInstance(&FakeCreate);
    previousExecute_ = OnScreenKeyboardManager::SetShellExecute(&FakeShellExecute);
    savedVariable_ = ReadVariable(&hadVariable_);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = KeyboardProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kKeyboardClass;
    ::RegisterClassW(&windowClass);
  }

  void TearDown() override {
    NextCase();
    ::UnregisterClassW(kKeyboardClass, ::GetModuleHandleW(nullptr));
    OnScreenKeyboardManager::SetVersionCheck(previousCheck_);
    OnScreenKeyboardManager::SetCreateInstance(previousCreate_);
    OnScreenKeyboardManager::SetShellExecute(previousExecute_);
  }

  // Ends a case of a table and starts the next one afresh.
  void NextCase() {
    EXPECT_EQ(0, g_record.liveObjects);
    if (g_keyboard) ::DestroyWindow(g_keyboard);
    g_keyboard = nullptr;
    g_record = Record{};
    g_createFails = false;
    OnScreenKeyboardManager::SetVersionCheck(&NewSystem);
    ::SetEnvironmentVariableW(kVariable, hadVariable_ ? savedVariable_.c_str() : nullptr);
  }

  static std::wstring ReadVariable(bool* present) {
    const DWORD size = ::GetEnvironmentVariableW(kVariable, nullptr, 0);
    *present = size > 0;
    if (size == 0) return std::wstring();
    std::wstring value(size, L'\0');
    value.resize(::GetEnvironmentVariableW(kVariable, &value[0], size));
    return value;
  }

  void MakeKeyboard(Keyboard state) {
    if (state == Keyboard::kAbsent) return;
    DWORD style = WS_POPUP;
    if (state != Keyboard::kHidden) style |= WS_VISIBLE;
    if (state == Keyboard::kShownDisabled) style |= WS_DISABLED;
    g_keyboard = ::CreateWindowExW(WS_EX_NOACTIVATE, kKeyboardClass, L"", style, 0, 0, 50, 20,
                                   nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, g_keyboard);
  }

  // Lets every apply step asked for so far run: a later timer on the same queue comes due
  // after them, and the close command they post is handled before it.
  void Settle() {
    bool done = false;
    kbase::WeakCallbackFlag flag;
    TimerQueue::Instance().Schedule(
        flag, [&done] { done = true; }, OnScreenKeyboardManager::kApplyDelayMs * 3, 1);
    ASSERT_TRUE(test_messages::PumpUntil([&done] { return done; }, 5000));
    test_messages::Drain();
  }

  OnScreenKeyboardManager manager_;
  OnScreenKeyboardManager::VersionCheck previousCheck_ = nullptr;
  OnScreenKeyboardManager::CreateInstanceFunction previousCreate_ = nullptr;
  OnScreenKeyboardManager::ShellExecuteFunction previousExecute_ = nullptr;
  std::wstring savedVariable_;
  bool hadVariable_ = false;
};

TEST_F(OnScreenKeyboardManagerTest, OneInstanceForTheProcess) {
  EXPECT_EQ(&OnScreenKeyboardManager::Instance(), &OnScreenKeyboardManager::Instance());
}

struct CompareCase {
  const char* name;
  Keyboard keyboard;
  std::vector<bool> requests;  // asked one after the other, each left to apply
  int toggles;
  int closes;
  bool shownAfter;
};

TEST_F(OnScreenKeyboardManagerTest, TogglesOnlyWhenTheKeyboardIsNotAsAsked) {
  const CompareCase cases[] = {
      {"show while hidden", Keyboard::kHidden, {true}, 1, 0, true},
      {"show while shown", Keyboard::kShown, {true}, 0, 0, true},
      {"hide while shown", Keyboard::kShown, {false}, 0, 1, false},
      {"hide while hidden", Keyboard::kHidden, {false}, 0, 0, false},
      {"hide while absent", Keyboard::kAbsent, {false}, 0, 0, false},
      {"show while absent", Keyboard::kAbsent, {true}, 1, 0, false},
      {"show while disabled", Keyboard::kShownDisabled, {true}, 1, 0, false},
      {"hide while disabled", Keyboard::kShownDisabled, {false}, 0, 0, true},
      {"show then hide", Keyboard::kHidden, {true, false}, 1, 1, false},
      // The keyboard has not appeared yet after the first toggle: toggling again would
      // close it as it comes up.
      {"show twice before it appears", Keyboard::kAbsent, {true, true}, 1, 0, false},
  };
  for (const CompareCase& c : cases) {
    SCOPED_TRACE(c.name);
    OnScreenKeyboardManager manager;
    MakeKeyboard(c.keyboard);
    for (const bool request : c.requests) {
      manager.ShowKeyboard(request);
      EXPECT_EQ(request, manager.IsRequestedVisible());
      Settle();
    }
    EXPECT_EQ(c.toggles, g_record.toggles);
    EXPECT_EQ(c.closes, g_record.closes);
    EXPECT_EQ(0u, g_record.started.size());
    if (g_keyboard) {
      EXPECT_EQ(c.shownAfter, ::IsWindowVisible(g_keyboard) != FALSE);
    }
    NextCase();
  }
}

TEST_F(OnScreenKeyboardManagerTest, RequestsWithinTheDelayApplyOnlyTheLast) {
  const struct {
    const char* name;
    Keyboard keyboard;
    bool first;
    bool last;
    int toggles;
  } cases[] = {
      {"show then hide while hidden", Keyboard::kHidden, true, false, 0},
      {"hide then show while shown", Keyboard::kShown, false, true, 0},
      {"show twice while absent", Keyboard::kAbsent, true, true, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OnScreenKeyboardManager manager;
    MakeKeyboard(c.keyboard);
    const bool wasShown = g_keyboard && ::IsWindowVisible(g_keyboard);
    manager.ShowKeyboard(c.first);
    manager.ShowKeyboard(c.last);
    Settle();
    EXPECT_EQ(c.toggles, g_record.toggles);
    EXPECT_EQ(0, g_record.closes);
    if (g_keyboard) {
      EXPECT_EQ(wasShown, ::IsWindowVisible(g_keyboard) != FALSE);
    }
    NextCase();
  }
}

TEST_F(OnScreenKeyboardManagerTest, KeyboardThatAppearsLateCanBeHiddenAgain) {
  manager_.ShowKeyboard(true);
  Settle();
  manager_.ShowKeyboard(true);
  Settle();
  EXPECT_EQ(1, g_record.toggles);
  MakeKeyboard(Keyboard::kShown);
  manager_.ShowKeyboard(false);
  Settle();
  EXPECT_EQ(1, g_record.closes);
  EXPECT_FALSE(::IsWindowVisible(g_keyboard));
}

TEST_F(OnScreenKeyboardManagerTest, HideAskedWhileTheKeyboardIsOnItsWayClosesItOnArrival) {
  manager_.ShowKeyboard(true);
  Settle();
  ASSERT_EQ(1, g_record.toggles);
  manager_.ShowKeyboard(false);
  Settle();
  EXPECT_EQ(0, g_record.closes);
  MakeKeyboard(Keyboard::kShown);
  EXPECT_TRUE(test_messages::PumpUntil([] { return g_record.closes == 1; }, 5000));
  EXPECT_FALSE(::IsWindowVisible(g_keyboard));
  EXPECT_EQ(1, g_record.toggles);
}

TEST_F(OnScreenKeyboardManagerTest, InvocationObjectIsToggledWithTheDesktopAndReleased) {
  MakeKeyboard(Keyboard::kHidden);
  manager_.ShowKeyboard(true);
  Settle();
  EXPECT_EQ(1, g_record.creations);
  EXPECT_TRUE(g_record.rightClass);
  EXPECT_TRUE(g_record.rightInterface);
  EXPECT_EQ(static_cast<DWORD>(CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER), g_record.context);
  EXPECT_EQ(6u, g_record.context);
  EXPECT_EQ(::GetDesktopWindow(), g_record.toggledWith);
  EXPECT_EQ(0, g_record.liveObjects);
}

TEST_F(OnScreenKeyboardManagerTest, OlderSystemDoesNothing) {
  OnScreenKeyboardManager::SetVersionCheck(&OldSystem);
  MakeKeyboard(Keyboard::kHidden);
  const size_t pending = TimerQueue::Instance().PendingCount();
  manager_.ShowKeyboard(true);
  EXPECT_FALSE(manager_.IsRequestedVisible());
  EXPECT_EQ(pending, TimerQueue::Instance().PendingCount());
  Settle();
  EXPECT_EQ(0, g_record.creations);
  EXPECT_EQ(0, g_record.toggles);
  EXPECT_FALSE(::IsWindowVisible(g_keyboard));
}

TEST_F(OnScreenKeyboardManagerTest, ApplyStepIsDroppedWithTheManager) {
  MakeKeyboard(Keyboard::kHidden);
  {
    OnScreenKeyboardManager shortLived;
    shortLived.ShowKeyboard(true);
  }
  Settle();
  EXPECT_EQ(0, g_record.creations);
}

std::wstring LongFolder() {
  // Longer than any fixed path buffer.
  std::wstring folder = L"D:\\";
  for (int i = 0; i < 40; ++i) folder += L"folder_" + std::to_wstring(i) + L"\\";
  return folder + L"Common Files";
}

TEST_F(OnScreenKeyboardManagerTest, ProgramStartsWhenTheInvocationObjectIsMissing) {
  const struct {
    const char* name;
    bool set;
    std::wstring value;
    std::wstring expected;
  } cases[] = {
      {"unset", false, L"", kFallback},
      {"empty", true, L"", kFallback},
      {"set", true, L"E:\\Common Files", L"E:\\Common Files" + kInFolder},
      {"longer than a path buffer", true, LongFolder(), LongFolder() + kInFolder},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    g_createFails = true;
    OnScreenKeyboardManager manager;
    ::SetEnvironmentVariableW(kVariable, c.set ? c.value.c_str() : nullptr);
    EXPECT_EQ(c.expected, OnScreenKeyboardManager::KeyboardProgramPath());
    manager.ShowKeyboard(true);
    Settle();
    EXPECT_EQ(1, g_record.creations);
    ASSERT_EQ(1u, g_record.started.size());
    EXPECT_EQ(c.expected, g_record.started[0]);
    EXPECT_EQ(L"open", g_record.verb);
    EXPECT_TRUE(g_record.noParameters);
    EXPECT_TRUE(g_record.noDirectory);
    EXPECT_EQ(SW_SHOWDEFAULT, g_record.show);
    NextCase();
  }
}

}  // namespace
}  // namespace ui
