#pragma once

#include <windows.h>

#include <string>

// A one-line bar laid across the top of another window: red for a layout that does not
// load, blue for what the pointer is over. A plain popup painted with GDI, so that it
// shows whatever the layout under it does (a layered window can hold no child window).
// It never takes the focus. UI thread only.
class StatusBar {
 public:
  enum class Kind { kFailure, kInspection };

  // One line's height; a longer text wraps onto up to kMaxLines lines.
  static constexpr int kHeight = 24;
  static constexpr int kMaxLines = 4;
  static constexpr COLORREF kFailureColor = RGB(176, 28, 36);
  static constexpr COLORREF kInspectionColor = RGB(28, 72, 150);
  static constexpr COLORREF kTextColor = RGB(255, 255, 255);

  StatusBar();
  ~StatusBar();
  StatusBar(const StatusBar&) = delete;
  StatusBar& operator=(const StatusBar&) = delete;

  // Shows the text across the top of the screen rectangle, above the owner.
  void Show(HWND owner, const RECT& over, const std::wstring& text, Kind kind);
  // Keeps the bar on a window that moved or was replaced.
  void Follow(HWND owner, const RECT& over);
  void Hide();

  bool IsShown() const { return shown_; }
  const std::wstring& Text() const { return text_; }
  Kind GetKind() const { return kind_; }
  HWND Handle() const { return hwnd_; }
  // Draws the bar into a device context of its size (its window, or a test's bitmap).
  void Paint(HDC dc) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool Create(HWND owner);
  // The height the text needs across the width.
  int HeightFor(int width) const;

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  std::wstring text_;
  Kind kind_ = Kind::kFailure;
  bool shown_ = false;
};
