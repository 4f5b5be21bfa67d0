#include "ui/core/tree/control_test_util.h"

#include <windows.h>

#include <algorithm>

#include "runtime/path_util.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/window/layout_pass.h"

namespace control_test {

int TextControl::measurements = 0;
int TextControl::paints = 0;

TestWindow::~TestWindow() {
  RunDeferredDestroy();
  root_.reset();
}

void TestWindow::AttachRoot(ui::Control* root) {
  root_.reset(root);
  root->AttachToWindow(this, nullptr, true);
  root->FindControl(
      [](ui::Control* control, void* data) -> ui::Control* {
        if (!control->GetName().empty()) static_cast<TestWindow*>(data)->AddNamedControl(control);
        return nullptr;
      },
      this, 0);
}

ui::IRenderContext* TestWindow::GetRenderContext() const {
  if (!context_) context_ = ui::UiRegistry::CreateRenderContext();
  return context_.get();
}

void TestWindow::Layout(const ui::UiRect& client) {
  needsLayout = false;
  arrangements.Arrange(root_.get(), client);
}

void TestWindow::RunDeferredDestroy() {
  while (!deferred.empty()) {
    std::vector<ui::Control*> queued;
    queued.swap(deferred);
    for (ui::Control* control : queued) delete control;
  }
}

void TestWindow::SetFocusControl(ui::Control* control) {
  if (control == focus) return;
  if (focus) {
    ui::Control* old = focus;
    focus = nullptr;
    old->SendEvent(ui::kEventInternalKillFocus);
  }
  if (control && control->IsVisible() && control->IsEnabled()) {
    focus = control;
    control->SendEvent(ui::kEventInternalSetFocus);
  }
}

void TestWindow::SendNotify(ui::Control* control, ui::EventType type, std::uint32_t wParam,
                            std::uint32_t lParam) {
  notified.push_back(type);
  control->SendEvent(type, wParam, lParam, 0, 0.0f, lastMouse);
}

ui::Control* TestWindow::FindControlByName(const std::wstring& name) const {
  auto it = names.find(name);
  return it == names.end() ? nullptr : it->second;
}

void TestWindow::ForgetControl(ui::Control* control) {
  forgotten.push_back(control);
  if (focus == control) focus = nullptr;
  if (hover == control) hover = nullptr;
  auto it = names.find(control->GetName());
  if (it != names.end() && it->second == control) names.erase(it);
  for (auto& group : optionGroups_) {
    auto& list = group.second;
    list.erase(std::remove(list.begin(), list.end(), control), list.end());
  }
}

std::wstring TestWindow::GetClassAttributes(const std::wstring& name) const {
  auto it = classes.find(name);
  return it == classes.end() ? std::wstring() : it->second;
}

bool TestWindow::AddOptionGroup(const std::wstring& group, ui::Control* control) {
  auto& list = optionGroups_[group];
  if (std::find(list.begin(), list.end(), control) != list.end()) return false;
  list.push_back(control);
  return true;
}

const std::vector<ui::Control*>* TestWindow::GetOptionGroup(const std::wstring& group) const {
  auto it = optionGroups_.find(group);
  return it == optionGroups_.end() ? nullptr : &it->second;
}

void TestWindow::RemoveOptionGroup(const std::wstring& group, ui::Control* control) {
  auto it = optionGroups_.find(group);
  if (it == optionGroups_.end()) return;
  auto& list = it->second;
  list.erase(std::remove(list.begin(), list.end(), control), list.end());
  if (list.empty()) optionGroups_.erase(it);
}

ui::UiSize TextControl::EstimateText(ui::UiSize, bool*) {
  ++measurements;
  const int length = static_cast<int>(text_.size());
  if (length == 0) return ui::UiSize{};
  // Like a label: one line unless a fixed width makes it wrap.
  const int width = GetFixedWidth();
  const int perLine = std::max(1, width > 0 ? width / kCharWidth : length);
  const int lines = (length + perLine - 1) / perLine;
  const int chars = std::min(length, perLine);
  return ui::UiSize{chars * kCharWidth, lines * kLineHeight};
}

void TextControl::PaintText(ui::IRenderContext&) {
  ++paints;
}

void TextControl::SetText(const std::wstring& text) {
  if (text == text_) return;
  text_ = text;
  RelayoutAncestor();
}

UiScope::UiScope() {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  ui::UiRegistry::Startup(temp, nullptr, L"no-such-theme", L"no-such-language");
}

UiScope::~UiScope() {
  ui::UiRegistry::Shutdown();
}

ShippedTheme::ShippedTheme() {
  const std::wstring resources = kbase::ModuleFolder() + L"..\\bin\\resources\\";
  ui::UiRegistry::Startup(resources, nullptr, L"themes\\default", L"lang\\zh_CN");
}

ShippedTheme::~ShippedTheme() {
  ui::UiRegistry::AddClass(L"vscrollbar", L"");
  ui::UiRegistry::AddClass(L"hscrollbar", L"");
  ui::UiRegistry::Shutdown();
}

std::vector<ui::UiRect> ChildRects(const ui::Box& box) {
  std::vector<ui::UiRect> rects;
  for (const ui::Control* child : box.GetItems()) rects.push_back(child->GetPosition());
  return rects;
}

}  // namespace control_test
