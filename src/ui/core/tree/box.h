#pragma once

#include <memory>
#include <vector>

#include "ui/core/tree/control.h"
#include "ui/core/tree/layout.h"

namespace ui {

// A control that owns an ordered list of children and a layout that places them. It also
// sees its descendants' events (bubbled handlers), hit-tests into its children and passes
// its visibility and enabled state down.
class Box : public Control {
 public:
  // The box takes the layout; none gives the base layout.
  explicit Box(Layout* layout = nullptr);
  ~Box() override;

  // Control.
  void AttachToWindow(IControlWindow* window, Box* parent, bool init) override;
  UiSize EstimateSize(UiSize available) override;
  void SetPosition(const UiRect& rect) override;
  void SetParentVisible(bool visible) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void RescaleLengths(const ScaleChange& change) override;
  bool CanTakeTabFocus() const override { return false; }
  Control* FindControl(FindControlProc proc, void* data, unsigned int flags,
                       const UiPoint& scrollOffset = UiPoint{}) override;
  void DispatchEvent(EventArgs* args) override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void PaintChildren(IRenderContext& context, const UiRect& paintRect) override;
  void RestoreImagesFromCache() override;
  void ReleaseBkImage() override;
  void ReleaseAllImages() override;

  // The next item from index in the direction that can be selected; lists override it.
  virtual int FindSelectableItem(int index, bool forward) const;
  virtual Control* GetItemAt(int index) const;
  virtual int GetItemIndex(const Control* child) const;
  // Moves the child to the index; false when it is not here or the index is out of range.
  virtual bool SetItemIndex(Control* child, int index);
  virtual int GetCount() const { return static_cast<int>(items_.size()); }
  // Appends the child. Refused (false) for none, for a control that already has a parent,
  // and for the box itself or one of its ancestors.
  virtual bool Add(Control* child);
  virtual bool AddAt(Control* child, int index);
  // Takes the child out; destroys it when the box owns its children, later when it may
  // still be dispatching. False when it is not here.
  virtual bool Remove(Control* child);
  virtual bool RemoveAt(int index);
  virtual void RemoveAll();
  virtual bool IsAutoDestroy() const { return autoDestroy_; }
  virtual void SetAutoDestroy(bool autoDestroy) { autoDestroy_ = autoDestroy; }
  virtual bool IsDelayDestroy() const { return delayDestroy_; }
  virtual void SetDelayDestroy(bool delayDestroy) { delayDestroy_ = delayDestroy; }
  virtual bool IsMouseChildEnabled() const { return mouseChildEnabled_; }
  virtual void SetMouseChildEnabled(bool enabled) { mouseChildEnabled_ = enabled; }
  virtual Layout* GetLayout() const { return layout_.get(); }
  // The box takes the new layout and deletes the old one.
  virtual void ReplaceLayout(Layout* layout);
  // The item rectangle less the padding.
  virtual UiRect GetContentRect() const;

  // Scrolling boxes move their content by an offset; plain boxes do not scroll.
  virtual bool IsScrollBox() const { return false; }
  virtual UiPoint GetScrollOffset() const { return UiPoint{}; }

  // Handlers for events of the box and of its descendants.
  void AttachBubbledEvent(EventType type, EventHandler handler);
  void AttachLayoutBubbledEvent(EventType type, EventHandler handler);

  const std::vector<Control*>& GetItems() const { return items_; }

 protected:
  // Attaches the child to this box (and to its window, registering its names) and sets its
  // visibility from the box's.
  void AdoptChild(Control* child);
  // Whether the control may become a child: not none, not placed elsewhere, not an
  // ancestor.
  bool CanAdopt(const Control* child) const;
  void DestroyChild(Control* child);

  EventHandlerMap layoutBubbledHandlers_;
  std::unique_ptr<Layout> layout_;
  bool autoDestroy_ = true;
  bool delayDestroy_ = true;
  bool mouseChildEnabled_ = true;
  std::vector<Control*> items_;
  EventHandlerMap codeBubbledHandlers_;
};

}  // namespace ui
