#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "browser_host/cef_js_bridge.h"
#include "runtime/weak_callback.h"

// Keeps a page from flooding the screen with toasts: texts are cut to a readable length,
// and a window shows at most one toast per quiet period. Texts that arrive within the
// period replace each other; the latest is shown when the period ends.
class ToastGate : public kbase::SupportWeakCallback {
 public:
  using ShowFunction = std::function<void(const std::wstring& text)>;
  // Runs a task after a delay in microseconds, on the gate's thread.
  using PostFunction = std::function<void(std::function<void()> task, int64_t delay)>;
  // The current time in microseconds.
  using ClockFunction = std::function<int64_t()>;

  static constexpr size_t kLongestText = 1000;
  static constexpr int64_t kQuietPeriod = 300 * 1000;

  // Posts through the current thread's message loop and reads the performance counter
  // unless told otherwise.
  explicit ToastGate(ShowFunction show, PostFunction post = nullptr, ClockFunction clock = nullptr);

  void Show(const std::wstring& text);
  // The page's "ShowMessageBox": its parameter text (UTF-8 JSON, shown as it arrives)
  // through this gate, and the answer every call gets. Nothing once the gate has gone.
  vok_comp::HostFunction ShowMessageBoxFunction();
  void SetShowFunction(ShowFunction show) { show_ = std::move(show); }
  // The text as it is shown: at most kLongestText characters, an ellipsis marking a cut.
  static std::wstring Shorten(const std::wstring& text);

 private:
  void ShowNow(const std::wstring& text);
  void ShowPending();

  ShowFunction show_;
  PostFunction post_;
  ClockFunction clock_;
  int64_t lastShown_ = 0;
  bool shownOnce_ = false;
  bool flushQueued_ = false;
  std::wstring pending_;
};
