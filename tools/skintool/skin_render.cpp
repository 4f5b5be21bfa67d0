#include "skin_render.h"

#include <windows.h>

// Left out of the lean windows.h, but GDI+ needs it.
#include <objidl.h>

#include <gdiplus.h>

#include <cstdint>
#include <vector>

#include "ui/core/resources/ui_registry.h"
#include "ui/core/skin/window_builder.h"
#include "ui/core/tree/control.h"
#include "ui/core/window/window.h"
#include "ui/render/i_render_context.h"

namespace {

constexpr int kDefaultWidth = 400;
constexpr int kDefaultHeight = 300;
constexpr DWORD kSettleMilliseconds = 2000;
const wchar_t kLanguage[] = L"lang\\zh_CN";

class RenderWindow : public ui::Window {
 public:
  std::wstring GetWindowClassName() const override { return L"TarnwickSkinToolWindow"; }
};

// Runs the window's messages until it is laid out and nothing waits.
void Settle(const ui::Window& window) {
  const DWORD end = ::GetTickCount() + kSettleMilliseconds;
  MSG msg;
  while (static_cast<int>(end - ::GetTickCount()) > 0) {
    bool ran = false;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
      ran = true;
    }
    if (!ran && !window.NeedsLayout()) return;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

// The surface holds premultiplied alpha; PNG files hold it straight.
bool WritePng(const std::wstring& path, ui::IRenderContext& surface) {
  const int width = surface.GetWidth();
  const int height = surface.GetHeight();
  const auto* bits = static_cast<const std::uint8_t*>(surface.GetPixelBits());
  if (!bits || width <= 0 || height <= 0) return false;
  std::vector<std::uint8_t> straight(bits, bits + static_cast<size_t>(width) * height * 4);
  for (size_t i = 0; i < straight.size(); i += 4) {
    const unsigned alpha = straight[i + 3];
    if (alpha == 0 || alpha == 255) continue;
    for (size_t c = i; c < i + 3; ++c) {
      const unsigned value = (straight[c] * 255u + alpha / 2) / alpha;
      straight[c] = static_cast<std::uint8_t>(value > 255 ? 255 : value);
    }
  }
  Gdiplus::Bitmap bitmap(width, height, width * 4, PixelFormat32bppARGB, straight.data());
  const CLSID pngEncoder = {
      0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
  return bitmap.Save(path.c_str(), &pngEncoder, nullptr) == Gdiplus::Ok;
}

// The window's size without its band: the request's (a layout size, scaled like one), else
// the layout's (scaled already), else the default.
void SizeWindow(ui::Window& window, const RenderRequest& request) {
  if (request.width > 0 && request.height > 0) {
    window.SetInitSize(request.width, request.height);
    return;
  }
  const ui::UiRect band =
      window.GetShadow().IsAttached() ? window.GetShadow().GetCorner() : ui::UiRect{};
  const ui::UiSize size = window.GetInitSize();
  const int width = size.cx - band.left - band.right;
  const int height = size.cy - band.top - band.bottom;
  window.SetInitSize(width > 0 ? width : kDefaultWidth, height > 0 ? height : kDefaultHeight,
                     false);
}

std::wstring RenderInWindow(const RenderRequest& request) {
  RenderWindow window;
  const HWND hwnd =
      window.CreateNativeWindow(nullptr, L"skintool", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                                true, ui::UiRect{0, 0, 1, 1});
  if (!hwnd) return L"no window could be made";
  window.InitWindow(hwnd);
  window.SetResourceSubFolder(request.where.skinFolder);
  ui::WindowBuilder builder;
  ui::Control* root = builder.Build(request.where.layout.c_str(), nullptr, &window);
  if (!root) {
    const ui::XmlDocument& document = builder.GetDocument();
    if (!document.GetRoot().IsValid() && *document.LastErrorMessage() != 0) {
      return document.LastErrorMessage();
    }
    return L"the layout builds no control";
  }
  SizeWindow(window, request);
  window.AttachRoot(window.GetShadow().WrapRoot(root));
  Settle(window);
  // One whole paint of the settled tree.
  ::InvalidateRect(hwnd, nullptr, FALSE);
  ::PostMessageW(hwnd, WM_PAINT, 0, 0);
  Settle(window);
  ui::IRenderContext* surface = window.GetRenderContext();
  if (!surface || !WritePng(request.output, *surface)) return L"the picture could not be written";
  return std::wstring();
}

}  // namespace

std::wstring RenderLayout(const RenderRequest& request) {
  ui::UiRegistry::Startup(request.where.resources, nullptr, request.where.theme, kLanguage);
  const std::wstring failure = RenderInWindow(request);
  ui::UiRegistry::Shutdown();
  return failure;
}
