#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/h_box.h"
#include "ui/core/window/window_test_util.h"
#include "ui/services/touch_input.h"

namespace ui {
namespace {

using control_test::UiScope;
using window_test::At;
using window_test::ClickControl;
using window_test::CreateShown;
using window_test::TestNativeWindow;

using Log = std::vector<std::string>;

const HTOUCHINPUT kTouchHandle = reinterpret_cast<HTOUCHINPUT>(0x7700);
constexpr UINT32 kPointerId = 3;

// What the stand-in for the system's touch functions hands out and what it was asked.
struct Platform {
  std::vector<TOUCHINPUT> inputs;
  UINT askedCount = 0;
  int closes = 0;
  HTOUCHINPUT closed = nullptr;
  std::vector<HWND> registered;
  std::vector<HWND> unregistered;
  DWORD pointerKind = kPointerKindTouch;
  UINT32 pressureMask = kTouchMaskPressure;
  UINT32 pressure = 512;
  // Messages the framework left to the class it copies.
  int unhandled = 0;
};

Platform g_platform;

BOOL WINAPI FakeRegister(HWND window, ULONG) {
  g_platform.registered.push_back(window);
  return TRUE;
}
BOOL WINAPI FakeUnregister(HWND window) {
  g_platform.unregistered.push_back(window);
  return TRUE;
}
BOOL WINAPI FakeGetTouchInputInfo(HTOUCHINPUT input, UINT count, TOUCHINPUT* inputs, int size) {
  g_platform.askedCount = count;
  if (input != kTouchHandle || size != static_cast<int>(sizeof(TOUCHINPUT)) ||
      count > g_platform.inputs.size()) {
    return FALSE;
  }
  for (UINT i = 0; i < count; ++i) inputs[i] = g_platform.inputs[i];
  return TRUE;
}
BOOL WINAPI FakeCloseTouchInputHandle(HTOUCHINPUT input) {
  ++g_platform.closes;
  g_platform.closed = input;
  return TRUE;
}
BOOL WINAPI FakeGetPointerType(UINT32 id, DWORD* type) {
  *type = g_platform.pointerKind;
  return id == kPointerId;
}
BOOL WINAPI FakeGetPointerTouchInfo(UINT32 id, PointerTouchInfo* info) {
  info->touchMask = g_platform.pressureMask;
  info->pressure = g_platform.pressure;
  return id == kPointerId;
}
BOOL WINAPI FakeGetPointerPenInfo(UINT32 id, PointerPenInfo* info) {
  info->penMask = g_platform.pressureMask;
  info->pressure = g_platform.pressure;
  return id == kPointerId;
}

const TouchEntryPoints kFakes{
    FakeRegister,       FakeUnregister,          FakeGetTouchInputInfo, FakeCloseTouchInputHandle,
    FakeGetPointerType, FakeGetPointerTouchInfo, FakeGetPointerPenInfo};
const TouchEntryPoints kMissing{};

constexpr wchar_t kBaseClass[] = L"TarnwickTouchBase";

LRESULT CALLBACK BaseProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TOUCH || (message >= kMessagePointerUpdate && message <= kMessagePointerUp)) {
    ++g_platform.unhandled;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// A window copied from a class that counts the touch and pointer messages left to it.
class TouchWindow : public TestNativeWindow {
 public:
  std::wstring GetWindowClassName() const override { return L"TarnwickTouchWindow"; }
  std::wstring GetSuperClassName() const override { return kBaseClass; }
};

std::string Entry(const char* control, const char* what, const EventArgs& args, bool pressure) {
  char text[96];
  if (pressure) {
    std::snprintf(text, sizeof(text), "%s %s %d,%d %.2f", control, what, args.mousePoint.x,
                  args.mousePoint.y, args.pressure);
  } else {
    std::snprintf(text, sizeof(text), "%s %s %d,%d", control, what, args.mousePoint.x,
                  args.mousePoint.y);
  }
  return text;
}

// Two controls side by side, A on the left and B on the right of 100 x 40, every touch and
// pointer event they get written down.
class TouchScene {
 public:
  explicit TouchScene(bool aTakesPointer = true) {
    auto* root = new HBox();
    a_ = new ClickControl();
    b_ = new ClickControl();
    if (!aTakesPointer) a_->SetAttribute(L"receivepointer", L"false");
    root->Add(a_);
    root->Add(b_);
    const struct {
      EventType type;
      const char* what;
      bool pressure;
    } events[] = {
        {kEventTouchDown, "touchdown", false},
        {kEventTouchMove, "touchmove", false},
        {kEventTouchUp, "touchup", false},
        {kEventPointerDown, "pointerdown", true},
        {kEventPointerUpdate, "pointerupdate", true},
        {kEventPointerUp, "pointerup", true},
        {kEventClick, "click", false},
    };
    for (ClickControl* c : {a_, b_}) {
      const char* name = c == a_ ? "a" : "b";
      for (const auto& e : events) {
        c->AttachEvent(e.type, [this, name, e](EventArgs* args) {
          log.push_back(Entry(name, e.what, *args, e.pressure));
          return true;
        });
      }
    }
    hwnd = CreateShown(&window, UiRect{100, 100, 200, 140}, root, false);
  }
  ~TouchScene() {
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
  }

  // A touch record at the client point, in the hundredths of a screen pixel the system uses.
  TOUCHINPUT Touch(int x, int y, DWORD flags) const {
    POINT screen{x, y};
    ::ClientToScreen(hwnd, &screen);
    TOUCHINPUT input{};
    input.x = screen.x * 100;
    input.y = screen.y * 100;
    input.dwFlags = flags;
    return input;
  }

  void SendTouches(const std::vector<TOUCHINPUT>& inputs) {
    g_platform.inputs = inputs;
    ::SendMessageW(hwnd, WM_TOUCH, MAKEWPARAM(inputs.size(), 0),
                   reinterpret_cast<LPARAM>(kTouchHandle));
  }

  void SendPointer(UINT message, int x, int y, bool primary) {
    POINT screen{x, y};
    ::ClientToScreen(hwnd, &screen);
    const WPARAM wParam = MAKEWPARAM(kPointerId, primary ? kPointerFlagPrimary : 0);
    ::SendMessageW(hwnd, message, wParam, MAKELPARAM(screen.x, screen.y));
  }

  TouchWindow window;
  HWND hwnd = nullptr;
  ClickControl* a_;
  ClickControl* b_;
  Log log;
};

class WindowTouchTest : public ::testing::Test {
 protected:
  WindowTouchTest() {
    g_platform = Platform{};
    WNDCLASSW base{};
    base.lpfnWndProc = BaseProc;
    base.hInstance = ::GetModuleHandleW(nullptr);
    base.lpszClassName = kBaseClass;
    ::RegisterClassW(&base);
    previous_ = SetTouchEntryPoints(&kFakes);
  }
  ~WindowTouchTest() override { SetTouchEntryPoints(previous_); }

  UiScope ui_;
  const TouchEntryPoints* previous_ = nullptr;
};

constexpr DWORD kDown = TOUCHEVENTF_DOWN | TOUCHEVENTF_PRIMARY;
constexpr DWORD kMove = TOUCHEVENTF_MOVE | TOUCHEVENTF_PRIMARY;
constexpr DWORD kUp = TOUCHEVENTF_UP | TOUCHEVENTF_PRIMARY;

// One message: a touch record (touch flags) or a pointer message.
struct Step {
  bool touch;
  DWORD flagsOrMessage;
  int x;
  int y;
  bool primary;
};

struct TranslationCase {
  const char* name;
  DWORD pointerKind;
  UINT32 pressureMask;
  UINT32 pressure;
  bool pointerInput;
  bool aTakesPointer;
  std::vector<Step> steps;
  Log expected;
  int unhandled;
};

TEST_F(WindowTouchTest, TouchAndPointerMessagesBecomeEventsOfTheCapturedControl) {
  const UINT down = kMessagePointerDown;
  const UINT update = kMessagePointerUpdate;
  const UINT up = kMessagePointerUp;
  const DWORD touch = kPointerKindTouch;
  const DWORD pen = kPointerKindPen;
  const TranslationCase cases[] = {
      {"touch press, move onto B, release",
       touch,
       0,
       0,
       true,
       true,
       {{true, kDown, 10, 10, true}, {true, kMove, 70, 10, true}, {true, kUp, 70, 12, true}},
       {"a touchdown 10,10", "a touchmove 70,10", "a touchup 70,12"},
       0},
      {"touch of a second finger",
       touch,
       0,
       0,
       true,
       true,
       {{true, TOUCHEVENTF_DOWN, 10, 10, false}, {true, TOUCHEVENTF_UP, 10, 10, false}},
       {},
       0},
      {"touch pointer tap clicks",
       touch,
       kTouchMaskPressure,
       512,
       true,
       true,
       {{false, down, 10, 10, true}, {false, up, 12, 12, true}},
       {"a pointerdown 10,10 0.50", "a pointerup 12,12 0.50", "a click 0,0"},
       0},
      {"pen drag off the control",
       pen,
       kPenMaskPressure,
       256,
       true,
       true,
       {{false, down, 10, 10, true}, {false, update, 70, 10, true}, {false, up, 70, 10, true}},
       {"a pointerdown 10,10 0.25", "a pointerupdate 70,10 0.25", "a pointerup 70,10 0.25"},
       0},
      {"touch pointer without pressure",
       touch,
       0,
       0,
       true,
       true,
       {{false, down, 60, 10, true}, {false, up, 60, 10, true}},
       {"b pointerdown 60,10 1.00", "b pointerup 60,10 1.00", "b click 0,0"},
       0},
      {"secondary pointer", touch, 0, 0, true, true, {{false, down, 10, 10, false}}, {}, 1},
      {"mouse pointer",
       kPointerKindMouse,
       0,
       0,
       true,
       true,
       {{false, down, 10, 10, true}, {false, up, 10, 10, true}},
       {},
       2},
      {"pointer input off",
       touch,
       0,
       0,
       false,
       true,
       {{false, down, 10, 10, true}, {false, up, 10, 10, true}},
       {},
       2},
      {"control without pointer input",
       touch,
       0,
       0,
       true,
       false,
       {{false, down, 10, 10, true}, {false, up, 10, 10, true}},
       {},
       2},
  };
  for (const TranslationCase& c : cases) {
    SCOPED_TRACE(c.name);
    g_platform = Platform{};
    g_platform.pointerKind = c.pointerKind;
    g_platform.pressureMask = c.pressureMask;
    g_platform.pressure = c.pressure;
    TouchScene scene(c.aTakesPointer);
    ASSERT_TRUE(scene.hwnd);
    scene.window.SetPointerInputEnabled(c.pointerInput);
    int touchMessages = 0;
    for (const Step& step : c.steps) {
      if (step.touch) {
        scene.SendTouches({scene.Touch(step.x, step.y, step.flagsOrMessage)});
        ++touchMessages;
      } else {
        scene.SendPointer(step.flagsOrMessage, step.x, step.y, step.primary);
      }
    }
    EXPECT_EQ(c.expected, scene.log);
    EXPECT_EQ(c.unhandled, g_platform.unhandled);
    EXPECT_EQ(touchMessages, g_platform.closes);
    EXPECT_EQ(nullptr, scene.window.GetTouchCapturedControl());
    EXPECT_EQ(nullptr, scene.window.GetPointerCapturedControl());
  }
}

TEST_F(WindowTouchTest, CaptureHoldsBetweenDownAndUp) {
  TouchScene scene;
  scene.SendTouches({scene.Touch(60, 10, kDown)});
  EXPECT_EQ(scene.b_, scene.window.GetTouchCapturedControl());
  // The mouse the system makes from the touch does not press another control meanwhile.
  ::SendMessageW(scene.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
  EXPECT_EQ(nullptr, scene.window.GetPushedControl());
  scene.SendTouches({scene.Touch(60, 10, kUp)});
  scene.SendPointer(kMessagePointerDown, 10, 10, true);
  EXPECT_EQ(scene.a_, scene.window.GetPointerCapturedControl());
  scene.SendPointer(kMessagePointerUp, 10, 10, true);
  EXPECT_EQ(nullptr, scene.window.GetPointerCapturedControl());
}

TEST_F(WindowTouchTest, EveryRecordTheMessageAnnouncesIsRead) {
  TouchScene scene;
  // More contacts than any fixed array would hold; the first finger is the last record.
  std::vector<TOUCHINPUT> inputs;
  for (int i = 0; i < 39; ++i) inputs.push_back(scene.Touch(60, 30, TOUCHEVENTF_MOVE));
  inputs.push_back(scene.Touch(10, 10, kDown));
  scene.SendTouches(inputs);
  EXPECT_EQ(40u, g_platform.askedCount);
  EXPECT_EQ(1, g_platform.closes);
  EXPECT_EQ(kTouchHandle, g_platform.closed);
  EXPECT_EQ(0, g_platform.unhandled);
  EXPECT_EQ((Log{"a touchdown 10,10"}), scene.log);
}

TEST_F(WindowTouchTest, WindowRegistersForTouchAndUnregistersWhenGone) {
  HWND hwnd = nullptr;
  {
    TouchScene scene;
    hwnd = scene.hwnd;
    EXPECT_TRUE(scene.window.IsTouchRegistered());
    EXPECT_EQ((std::vector<HWND>{hwnd}), g_platform.registered);
    EXPECT_TRUE(g_platform.unregistered.empty());
  }
  EXPECT_EQ((std::vector<HWND>{hwnd}), g_platform.unregistered);
}

TEST_F(WindowTouchTest, WithoutTouchEntryPointsTheWindowStaysAMouseWindow) {
  SetTouchEntryPoints(&kMissing);
  TouchScene scene;
  EXPECT_FALSE(scene.window.IsTouchRegistered());
  scene.SendTouches({scene.Touch(10, 10, kDown), scene.Touch(10, 10, kUp)});
  scene.SendPointer(kMessagePointerDown, 10, 10, true);
  scene.SendPointer(kMessagePointerUp, 10, 10, true);
  EXPECT_TRUE(scene.log.empty());
  EXPECT_EQ(3, g_platform.unhandled);
  EXPECT_EQ(0, g_platform.closes);
  ::SendMessageW(scene.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
  ::SendMessageW(scene.hwnd, WM_LBUTTONUP, 0, At(10, 10));
  EXPECT_EQ(1, scene.a_->activations);
  EXPECT_EQ((Log{"a click 0,0"}), scene.log);
}

}  // namespace
}  // namespace ui
