#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/core/tree/box.h"
#include "ui/core/tree/control.h"
#include "ui/core/tree/i_control_window.h"
#include "ui/core/window/layout_pass.h"
#include "ui/render/i_render_context.h"

namespace control_test {

// A window as far as controls are concerned, with everything they ask of it written down.
// It owns its root and destroys queued controls when asked, as a native window does on its
// private message.
class TestWindow : public ui::IControlWindow {
 public:
  TestWindow() = default;
  ~TestWindow() override;
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  // Takes the root and attaches its tree, names included.
  void AttachRoot(ui::Control* root);
  // Lays the tree out as the window's paint does: the root when it waits for an
  // arrangement, else every control that does. Clears the layout request.
  void Layout(const ui::UiRect& client);
  // Destroys the queued controls; controls destroyed meanwhile may queue more.
  void RunDeferredDestroy();

  ui::Control* GetRoot() const override { return root_.get(); }
  // A surface of its own, made on first use (the UI framework must be started).
  ui::IRenderContext* GetRenderContext() const override;
  void InvalidateArea(const ui::UiRect& rect) override { invalidated.push_back(rect); }
  void SetNeedsLayout() override { needsLayout = true; }
  void RequestArrangement(ui::PlaceHolder* control) override {
    arrangements.Add(control);
    needsLayout = true;
  }
  ui::Control* GetFocusControl() const override { return focus; }
  void SetFocusControl(ui::Control* control) override;
  ui::Control* GetHoverControl() const override { return hover; }
  ui::UiPoint GetLastMousePoint() const override { return lastMouse; }
  void SendNotify(ui::Control* control, ui::EventType type, std::uint32_t wParam,
                  std::uint32_t lParam) override;
  void AddNamedControl(ui::Control* control) override { names[control->GetName()] = control; }
  ui::Control* FindControlByName(const std::wstring& name) const override;
  void ForgetControl(ui::Control* control) override;
  void QueueDeferredDestroy(ui::Control* control) override { deferred.push_back(control); }
  std::wstring GetClassAttributes(const std::wstring& name) const override;
  std::wstring GetResourceSubFolder() const override { return resourceSubFolder; }
  ui::UiPoint GetShadowOffset() const override { return shadowOffset; }
  bool AddOptionGroup(const std::wstring& group, ui::Control* control) override;
  const std::vector<ui::Control*>* GetOptionGroup(const std::wstring& group) const override;
  void RemoveOptionGroup(const std::wstring& group, ui::Control* control) override;

  std::vector<ui::UiRect> invalidated;
  bool needsLayout = false;
  ui::Control* focus = nullptr;
  ui::Control* hover = nullptr;
  ui::UiPoint lastMouse;
  std::map<std::wstring, ui::Control*> names;
  std::map<std::wstring, std::wstring> classes;
  std::vector<ui::Control*> deferred;
  std::vector<ui::Control*> forgotten;
  std::wstring resourceSubFolder;
  ui::UiPoint shadowOffset;
  std::vector<ui::EventType> notified;
  ui::ArrangementQueue arrangements;

 private:
  std::unique_ptr<ui::Control> root_;
  mutable std::unique_ptr<ui::IRenderContext> context_;
  std::map<std::wstring, std::vector<ui::Control*>> optionGroups_;
};

// A control showing a text of fixed-width characters that wraps to the width it is given,
// counting how often its text is measured and painted.
class TextControl : public ui::Control {
 public:
  static constexpr int kCharWidth = 7;
  static constexpr int kLineHeight = 16;

  explicit TextControl(const std::wstring& text = std::wstring()) : text_(text) {}

  ui::UiSize EstimateText(ui::UiSize available, bool* needsEstimate) override;
  void PaintText(ui::IRenderContext& context) override;
  void SetText(const std::wstring& text);

  static int measurements;
  static int paints;

 private:
  std::wstring text_;
};

// Starts the UI framework on an empty resource folder for the test's lifetime: render
// factory, colour and font lookups.
class UiScope {
 public:
  UiScope();
  ~UiScope();
  UiScope(const UiScope&) = delete;
  UiScope& operator=(const UiScope&) = delete;
};

// Starts the UI framework on the client's own default theme, laid out beside the test
// programs, for the test's lifetime. The theme's bar classes outlive the registry, so they
// are blanked again on the way out: later tests make plain bars.
class ShippedTheme {
 public:
  ShippedTheme();
  ~ShippedTheme();
  ShippedTheme(const ShippedTheme&) = delete;
  ShippedTheme& operator=(const ShippedTheme&) = delete;
};

// The item rectangles of a box's children, in order.
std::vector<ui::UiRect> ChildRects(const ui::Box& box);

}  // namespace control_test
