#include "ui/core/window/dpi_awareness.h"

#include <windows.h>

namespace ui {
namespace {

// Looked up at run time: the client still runs on systems that lack the newer calls.
template <typename Function>
Function Find(const wchar_t* module, const char* name) {
  HMODULE handle = GetModuleHandleW(module);
  if (!handle) handle = LoadLibraryW(module);
  return handle ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(handle, name)))
                : nullptr;
}

}  // namespace

bool DeclarePerMonitorDpiAwareness() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  if (auto set = Find<SetContext>(L"user32.dll", "SetProcessDpiAwarenessContext")) {
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    if (set(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)))) return true;
  }
  using SetAwareness = HRESULT(WINAPI*)(int);
  if (auto set = Find<SetAwareness>(L"shcore.dll", "SetProcessDpiAwareness")) {
    if (SUCCEEDED(set(2))) return true;  // PROCESS_PER_MONITOR_DPI_AWARE
  }
  return SetProcessDPIAware() != FALSE;
}

}  // namespace ui
