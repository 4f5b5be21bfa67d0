#pragma once

#include <windows.h>

#include "ui/core/window/window.h"

namespace ui {

class Combo;

// The pop-up of a combo: a borderless tool window that borrows the combo's list while it is
// open and gives it back as soon as the focus leaves it. It deletes itself once its native
// window is gone.
class CComboWnd : public Window {
 public:
  CComboWnd() = default;
  ~CComboWnd() override;

  std::wstring GetWindowClassName() const override { return L"ComboWnd"; }
  void OnFinalMessage(HWND hwnd) override;
  LRESULT HandleNativeMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Opens the pop-up for the combo; false when its native window cannot be made (the
  // object is then the caller's to delete, unless it is already gone).
  bool ShowDropDown(Combo* combo);
  // The combo is going: the list goes back to it and the pop-up closes without it.
  void ReleaseCombo();
  Combo* GetCombo() const { return combo_; }
  bool IsClosing() const { return closing_; }

 private:
  // The pop-up's rectangle on the screen, under or above the combo.
  RECT PlaceOnScreen(HWND comboWindow) const;
  // The height the visible items want for the width, capped at the combo's drop-box height.
  int ContentHeight(int width) const;
  void OnCreate();
  void BeginClose();
  // The list leaves the pop-up's root; the window's references to it stay until it goes.
  void ReturnList();

  Combo* combo_ = nullptr;
  int openedIndex_ = -1;
  bool closing_ = false;
};

}  // namespace ui
