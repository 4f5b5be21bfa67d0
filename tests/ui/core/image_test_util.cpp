#include "ui/core/image_test_util.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>

#include "ui/core/image_loader.h"
#include "ui/core/ui_registry.h"

namespace image_test {

namespace {

using Clock = std::chrono::steady_clock;

// ctest names the folder; a program started by hand falls back to the source tree.
std::wstring DataFolderSetting() {
  wchar_t value[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(L"TARNWICK_TEST_DATA", value, MAX_PATH);
  if (length > 0 && length < MAX_PATH) return value;
  return TARNWICK_SOURCE_TEST_DATA;
}

}  // namespace

std::wstring DataFolder() {
  // The setting may be a Unix-style path; the full path form is what Windows code expects.
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(DataFolderSetting().c_str(), MAX_PATH, full, nullptr);
  std::wstring folder = length > 0 && length < MAX_PATH ? full : DataFolderSetting();
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

std::wstring ImagePath(const std::wstring& name) {
  return DataFolder() + L"images\\" + name;
}

void TestImageHost::Invalidate() {
  ++invalidations;
  if (onInvalidate) onInvalidate();
}

void TestImageHost::SetBkImage(const std::wstring& text) {
  bk.SetImageString(text);
  animationAllowed = bk.playCount != 0;
}

RecordingContext::RecordingContext(int width, int height) {
  Resize(width, height, true);
}

void RecordingContext::PaintBitmap(const ui::UiRect& paint, HBITMAP bitmap, bool hasAlpha,
                                   const ui::UiRect& dest, const ui::UiRect& source,
                                   const ui::UiRect& corners, unsigned char fade, bool tileX,
                                   bool tileY) {
  calls.push_back(Call{paint, bitmap, hasAlpha, dest, source, corners, fade, tileX, tileY});
  RenderContext_GdiPlus::PaintBitmap(paint, bitmap, hasAlpha, dest, source, corners, fade, tileX,
                                     tileY);
}

DecodeCounter::DecodeCounter() {
  ui::UiRegistry::SetImageLoader([this](const std::wstring& path) {
    ++total_;
    return ui::LoadImageFromFile(path);
  });
}

DecodeCounter::~DecodeCounter() {
  ui::UiRegistry::SetImageLoader(nullptr);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (done()) return true;
    if (Clock::now() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
  }
}

void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

}  // namespace image_test
