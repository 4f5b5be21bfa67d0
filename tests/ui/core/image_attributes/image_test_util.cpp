#include "ui/core/image_attributes/image_test_util.h"

#include <windows.h>

#include <cstdio>

#include "common/message_pump.h"
#include "common/test_data_folder.h"
#include "runtime/path_util.h"
#include "ui/core/images/image_loader.h"
#include "ui/core/resources/ui_registry.h"

namespace image_test {

std::wstring DataFolder() {
  return test_data::Folder();
}

std::wstring ImagePath(const std::wstring& name) {
  return DataFolder() + L"images\\" + name;
}

std::wstring LargeImagePath(const std::wstring& name) {
  return kbase::ModuleFolder() + L"hostile-images\\" + name;
}

std::string ReadFileBytes(const std::wstring& path) {
  std::string bytes;
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return bytes;
  char buffer[65536];
  size_t read = 0;
  while ((read = fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.append(buffer, read);
  fclose(file);
  return bytes;
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
  return test_messages::PumpUntil(done, timeoutMs);
}

void PumpFor(int ms) {
  test_messages::PumpFor(ms);
}

}  // namespace image_test
