// A Windows program for the script tests: waits (at most two minutes) until a visible
// top-level window of the class named by its first argument exists, then asks it to close.
// Exits with 0 when it found one, 1 when none appeared, 100 without an argument.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 100;
  for (int waited = 0; waited <= 120000; waited += 50) {
    const HWND window = FindWindowW(argv[1], nullptr);
    if (window && IsWindowVisible(window)) {
      PostMessageW(window, WM_CLOSE, 0, 0);
      return 0;
    }
    Sleep(50);
  }
  return 1;
}
