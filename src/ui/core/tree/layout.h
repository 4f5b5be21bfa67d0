#pragma once

#include <string>
#include <vector>

#include "ui/render/render_types.h"

namespace ui {

class Box;
class Control;
class ScaleChange;

// How a box places its children. The base layout puts every child over the whole content
// area, aligned by the child's own alignment; subclasses arrange rows, columns and grids.
class Layout {
 public:
  Layout() = default;
  virtual ~Layout() = default;
  Layout(const Layout&) = delete;
  Layout& operator=(const Layout&) = delete;

  void SetOwner(Box* owner) { owner_ = owner; }
  Box* GetOwner() const { return owner_; }

  // "padding" and "childmargin"; false for names the layout does not know.
  virtual bool SetAttribute(const std::wstring& name, const std::wstring& value);
  // Places the children inside the content rectangle; returns the size they use.
  virtual UiSize ArrangeChildren(const std::vector<Control*>& children, const UiRect& content);
  // The size the children want for the available size, padding included.
  virtual UiSize EstimateChildren(const std::vector<Control*>& children, UiSize available);
  virtual UiRect GetPadding() const { return padding_; }
  virtual void SetPadding(const UiRect& padding, bool scale = true);
  virtual int GetChildMargin() const { return childMargin_; }
  virtual void SetChildMargin(int margin, bool scale = true);
  // Carries the padding and spacing over to a new scale, with no relayout.
  virtual void RescaleLengths(const ScaleChange& change);

  // Sizes the child for the rectangle and places it there by its margin and alignment;
  // returns the size it takes. An invisible child takes nothing.
  static UiSize PlaceChild(Control* child, const UiRect& rect);

 protected:
  // Asks the owner box for a new layout.
  void RelayoutOwner();

  UiRect padding_;
  int childMargin_ = 0;
  Box* owner_ = nullptr;
};

// A width raised to the child's min width and, when its max width is a size, lowered to it.
int ClampWidth(const Control* child, int width);
// The same for heights. A negative max height (stretch or auto) means no maximum.
int ClampHeight(const Control* child, int height);

}  // namespace ui
