#include "ui/services/touch_input.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace ui {
namespace {

// What the fake entry points were called with.
struct Calls {
  int count = 0;
  HWND window = nullptr;
  ULONG flags = 0xFFFF;
  HTOUCHINPUT input = nullptr;
  UINT inputCount = 0;
  int recordSize = 0;
  UINT32 pointerId = 0;
};

Calls g_calls;
BOOL g_answer = TRUE;

BOOL WINAPI FakeRegister(HWND window, ULONG flags) {
  ++g_calls.count;
  g_calls.window = window;
  g_calls.flags = flags;
  return g_answer;
}
BOOL WINAPI FakeUnregister(HWND window) {
  ++g_calls.count;
  g_calls.window = window;
  return g_answer;
}
BOOL WINAPI FakeGetTouchInputInfo(HTOUCHINPUT input, UINT count, TOUCHINPUT* inputs, int size) {
  ++g_calls.count;
  g_calls.input = input;
  g_calls.inputCount = count;
  g_calls.recordSize = size;
  for (UINT i = 0; i < count; ++i) inputs[i].dwID = 100 + i;
  return g_answer;
}
BOOL WINAPI FakeCloseTouchInputHandle(HTOUCHINPUT input) {
  ++g_calls.count;
  g_calls.input = input;
  return g_answer;
}
BOOL WINAPI FakeGetPointerType(UINT32 id, DWORD* type) {
  ++g_calls.count;
  g_calls.pointerId = id;
  *type = kPointerKindPen;
  return g_answer;
}
BOOL WINAPI FakeGetPointerTouchInfo(UINT32 id, PointerTouchInfo* info) {
  ++g_calls.count;
  g_calls.pointerId = id;
  info->pressure = 512;
  return g_answer;
}
BOOL WINAPI FakeGetPointerPenInfo(UINT32 id, PointerPenInfo* info) {
  ++g_calls.count;
  g_calls.pointerId = id;
  info->pressure = 256;
  return g_answer;
}

const TouchEntryPoints kFakes{
    FakeRegister,       FakeUnregister,          FakeGetTouchInputInfo, FakeCloseTouchInputHandle,
    FakeGetPointerType, FakeGetPointerTouchInfo, FakeGetPointerPenInfo};
const TouchEntryPoints kMissing{};

const HWND kWindow = reinterpret_cast<HWND>(0x1234);
const HTOUCHINPUT kInput = reinterpret_cast<HTOUCHINPUT>(0x5678);

struct WrapperCase {
  const char* name;
  std::function<bool()> call;
  // Checks what reached the entry point.
  std::function<void()> checkArguments;
};

std::vector<WrapperCase> WrapperCases() {
  static TOUCHINPUT inputs[3];
  static DWORD type;
  static PointerTouchInfo touch;
  static PointerPenInfo pen;
  return {
      {"RegisterTouch", [] { return RegisterTouch(kWindow); },
       [] {
         EXPECT_EQ(kWindow, g_calls.window);
         EXPECT_EQ(0u, g_calls.flags);
       }},
      {"UnregisterTouch", [] { return UnregisterTouch(kWindow); },
       [] { EXPECT_EQ(kWindow, g_calls.window); }},
      {"GetTouchInputs", [] { return GetTouchInputs(kInput, 3, inputs); },
       [] {
         EXPECT_EQ(kInput, g_calls.input);
         EXPECT_EQ(3u, g_calls.inputCount);
         EXPECT_EQ(static_cast<int>(sizeof(TOUCHINPUT)), g_calls.recordSize);
         EXPECT_EQ(102u, inputs[2].dwID);
       }},
      {"CloseTouchInput", [] { return CloseTouchInput(kInput); },
       [] { EXPECT_EQ(kInput, g_calls.input); }},
      {"GetPointerKind", [] { return GetPointerKind(7, &type); },
       [] {
         EXPECT_EQ(7u, g_calls.pointerId);
         EXPECT_EQ(kPointerKindPen, type);
       }},
      {"GetPointerTouchData", [] { return GetPointerTouchData(8, &touch); },
       [] {
         EXPECT_EQ(8u, g_calls.pointerId);
         EXPECT_EQ(512u, touch.pressure);
       }},
      {"GetPointerPenData", [] { return GetPointerPenData(9, &pen); },
       [] {
         EXPECT_EQ(9u, g_calls.pointerId);
         EXPECT_EQ(256u, pen.pressure);
       }},
  };
}

class TouchInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls = Calls{};
    g_answer = TRUE;
  }
  void TearDown() override { SetTouchEntryPoints(previous_); }
  void Use(const TouchEntryPoints* table) { previous_ = SetTouchEntryPoints(table); }

  const TouchEntryPoints* previous_ = nullptr;
};

TEST_F(TouchInputTest, MissingEntryPointsAnswerFalse) {
  Use(&kMissing);
  for (const WrapperCase& c : WrapperCases()) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(c.call());
  }
  EXPECT_EQ(0, g_calls.count);
}

TEST_F(TouchInputTest, PresentEntryPointsAnswerWithThePlatformResult) {
  Use(&kFakes);
  for (const BOOL answer : {TRUE, FALSE}) {
    for (const WrapperCase& c : WrapperCases()) {
      SCOPED_TRACE(std::string(c.name) + (answer ? " succeeding" : " failing"));
      g_calls = Calls{};
      g_answer = answer;
      EXPECT_EQ(answer == TRUE, c.call());
      EXPECT_EQ(1, g_calls.count);
      if (answer) c.checkArguments();
    }
  }
}

TEST_F(TouchInputTest, ReplacementIsUndoneByRestoringThePreviousTable) {
  EXPECT_EQ(nullptr, SetTouchEntryPoints(&kFakes));
  EXPECT_TRUE(RegisterTouch(kWindow));
  EXPECT_EQ(&kFakes, SetTouchEntryPoints(nullptr));
  EXPECT_EQ(1, g_calls.count);
  // Back on the platform's own functions, the fakes see nothing more.
  UnregisterTouch(kWindow);
  EXPECT_EQ(1, g_calls.count);
}

TEST_F(TouchInputTest, EntryPointsAreResolvedOnceFromTheLoadedUser32) {
  std::vector<const TouchEntryPoints*> seen(4, nullptr);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&seen, i] { seen[i] = &ResolvedTouchEntryPoints(); });
  }
  for (std::thread& t : threads) t.join();
  for (const TouchEntryPoints* table : seen) EXPECT_EQ(&ResolvedTouchEntryPoints(), table);

  const HMODULE user32 = ::GetModuleHandleA("user32.dll");
  ASSERT_NE(nullptr, user32);
  const TouchEntryPoints& table = ResolvedTouchEntryPoints();
  const struct {
    const char* name;
    void* resolved;
  } entries[] = {
      {"RegisterTouchWindow", reinterpret_cast<void*>(table.registerTouchWindow)},
      {"UnregisterTouchWindow", reinterpret_cast<void*>(table.unregisterTouchWindow)},
      {"GetTouchInputInfo", reinterpret_cast<void*>(table.getTouchInputInfo)},
      {"CloseTouchInputHandle", reinterpret_cast<void*>(table.closeTouchInputHandle)},
      {"GetPointerType", reinterpret_cast<void*>(table.getPointerType)},
      {"GetPointerTouchInfo", reinterpret_cast<void*>(table.getPointerTouchInfo)},
      {"GetPointerPenInfo", reinterpret_cast<void*>(table.getPointerPenInfo)},
  };
  for (const auto& entry : entries) {
    SCOPED_TRACE(entry.name);
    EXPECT_EQ(reinterpret_cast<void*>(::GetProcAddress(user32, entry.name)), entry.resolved);
  }
}

}  // namespace
}  // namespace ui
