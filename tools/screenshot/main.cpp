// screenshot OUT.png [CLASS [WAIT_CLASS]]: writes what the screen shows into a PNG file, or
// only the rectangle of the first visible top-level window of that class; with WAIT_CLASS,
// once a window of that class shows (at most 30 s). For the README's pictures of a real run
// (scripts/take-screenshots).

#include <windows.h>

// Left out of the lean windows.h, but GDI+ needs it.
#include <objidl.h>

#include <gdiplus.h>

#include <cstdio>
#include <string>

namespace {

RECT AreaToTake(const wchar_t* windowClass) {
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (!windowClass) return area;
  for (HWND w = FindWindowW(windowClass, nullptr); w;
       w = FindWindowExW(nullptr, w, windowClass, nullptr)) {
    if (IsWindowVisible(w)) {
      GetWindowRect(w, &area);
      break;
    }
  }
  return area;
}

bool SaveScreen(const std::wstring& path, const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, old);
  bool saved = false;
  {
    Gdiplus::Bitmap bitmap(picture, nullptr);
    const CLSID pngEncoder = {
        0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    saved = bitmap.Save(path.c_str(), &pngEncoder, nullptr) == Gdiplus::Ok;
  }
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return saved;
}

// Waits until a visible top-level window of the class exists; false after 30 s.
bool WaitForWindow(const wchar_t* windowClass) {
  for (int waited = 0; waited < 30000; waited += 50) {
    const HWND window = FindWindowW(windowClass, nullptr);
    if (window && IsWindowVisible(window)) {
      // Past the window's opening fade.
      Sleep(600);
      return true;
    }
    Sleep(50);
  }
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Real pixels, not a stretched copy, on a scaled screen.
  SetProcessDPIAware();
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: screenshot OUT.png [WINDOW_CLASS [WAIT_FOR_CLASS]]\n");
    return 2;
  }
  if (argc == 4 && !WaitForWindow(argv[3])) {
    std::fprintf(stderr, "screenshot: no window of that class showed\n");
    return 1;
  }
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 1;
  const bool saved = SaveScreen(argv[1], AreaToTake(argc >= 3 ? argv[2] : nullptr));
  Gdiplus::GdiplusShutdown(token);
  if (!saved) std::fprintf(stderr, "screenshot: the picture could not be written\n");
  return saved ? 0 : 1;
}
