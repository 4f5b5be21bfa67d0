#include "ui/services/touch_input.h"

#include <atomic>

namespace ui {

// The platform reads TOUCHINPUT records of this size on 32-bit systems.
static_assert(sizeof(void*) != 4 || sizeof(TOUCHINPUT) == 40, "TOUCHINPUT layout");

namespace {

template <typename T>
void Resolve(HMODULE module, const char* name, T* entry) {
  *entry = module ? reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
                  : nullptr;
}

TouchEntryPoints LoadEntryPoints() {
  TouchEntryPoints table{};
  // Linking them would stop the program from starting where user32 lacks them.
  const HMODULE user32 = ::GetModuleHandleA("user32.dll");
  Resolve(user32, "RegisterTouchWindow", &table.registerTouchWindow);
  Resolve(user32, "UnregisterTouchWindow", &table.unregisterTouchWindow);
  Resolve(user32, "GetTouchInputInfo", &table.getTouchInputInfo);
  Resolve(user32, "CloseTouchInputHandle", &table.closeTouchInputHandle);
  Resolve(user32, "GetPointerType", &table.getPointerType);
  Resolve(user32, "GetPointerTouchInfo", &table.getPointerTouchInfo);
  Resolve(user32, "GetPointerPenInfo", &table.getPointerPenInfo);
  return table;
}

std::atomic<const TouchEntryPoints*> g_replacement{nullptr};

const TouchEntryPoints& Current() {
  const TouchEntryPoints* replacement = g_replacement.load(std::memory_order_acquire);
  return replacement ? *replacement : ResolvedTouchEntryPoints();
}

}  // namespace

const TouchEntryPoints& ResolvedTouchEntryPoints() {
  static const TouchEntryPoints table = LoadEntryPoints();
  return table;
}

const TouchEntryPoints* SetTouchEntryPoints(const TouchEntryPoints* table) {
  return g_replacement.exchange(table, std::memory_order_acq_rel);
}

bool RegisterTouch(HWND window) {
  const auto fn = Current().registerTouchWindow;
  return fn && fn(window, 0) != FALSE;
}

bool UnregisterTouch(HWND window) {
  const auto fn = Current().unregisterTouchWindow;
  return fn && fn(window) != FALSE;
}

bool GetTouchInputs(HTOUCHINPUT input, UINT count, TOUCHINPUT* inputs) {
  const auto fn = Current().getTouchInputInfo;
  return fn && fn(input, count, inputs, static_cast<int>(sizeof(TOUCHINPUT))) != FALSE;
}

bool CloseTouchInput(HTOUCHINPUT input) {
  const auto fn = Current().closeTouchInputHandle;
  return fn && fn(input) != FALSE;
}

bool GetPointerKind(UINT32 pointerId, DWORD* type) {
  const auto fn = Current().getPointerType;
  return fn && fn(pointerId, type) != FALSE;
}

bool GetPointerTouchData(UINT32 pointerId, PointerTouchInfo* info) {
  const auto fn = Current().getPointerTouchInfo;
  return fn && fn(pointerId, info) != FALSE;
}

bool GetPointerPenData(UINT32 pointerId, PointerPenInfo* info) {
  const auto fn = Current().getPointerPenInfo;
  return fn && fn(pointerId, info) != FALSE;
}

}  // namespace ui
