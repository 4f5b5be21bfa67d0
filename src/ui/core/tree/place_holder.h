#pragma once

#include <memory>
#include <string>

#include "runtime/weak_callback.h"
#include "ui/render/render_types.h"

namespace ui {

class Box;
class IControlWindow;
class IRenderContext;

// Fixed widths and heights are a number of pixels or one of these.
constexpr int kLengthStretch = -1;
constexpr int kLengthAuto = -2;
constexpr int kNoMaxLength = 9999999;

enum HorizontalAlignment { kHAlignLeft = 0, kHAlignCenter = 1, kHAlignRight = 2 };
enum VerticalAlignment { kVAlignTop = 0, kVAlignCenter = 1, kVAlignBottom = 2 };

// The geometry of a control and the flags the layouts read: what a layout needs to size and
// place an element, and how a change asks for a new layout.
class PlaceHolder : public virtual kbase::SupportWeakCallback {
 public:
  PlaceHolder();
  ~PlaceHolder() override;
  PlaceHolder(const PlaceHolder&) = delete;
  PlaceHolder& operator=(const PlaceHolder&) = delete;

  virtual IControlWindow* GetWindow() const { return window_; }
  virtual void SetWindow(IControlWindow* window) { window_ = window; }
  // Sets window and parent; with init and a parent, runs Init once per attachment: again
  // only after the control has been without a parent or in another window.
  virtual void AttachToWindow(IControlWindow* window, Box* parent, bool init);
  virtual void Init() { OnInit(); }
  virtual void OnInit() {}
  virtual bool IsVisible() const { return visible_ && parentVisible_; }
  // How large the element wants to be for the available size; -1 stretches.
  virtual UiSize EstimateSize(UiSize available);
  // The item rectangle; without the shadow it is relative to the visible window area.
  virtual UiRect GetPosition(bool includeShadow = true) const;
  virtual void SetPosition(const UiRect& rect);
  // Asks for a new layout from the nearest element whose size does not depend on this one.
  virtual void Relayout();
  virtual void RelayoutAncestor();
  // Repaints the element's visible rectangle.
  virtual void Invalidate();
  virtual void RelayoutSelf();

  const std::wstring& GetName() const { return name_; }
  void SetName(const std::wstring& name) { name_ = name; }
  Box* GetParent() const { return parent_; }

  int GetFixedWidth() const { return fixedWidth_; }
  int GetFixedHeight() const { return fixedHeight_; }
  int GetMinWidth() const { return minWidth_; }
  int GetMinHeight() const { return minHeight_; }
  int GetMaxWidth() const { return maxWidth_; }
  int GetMaxHeight() const { return maxHeight_; }
  HorizontalAlignment GetHorAlignType() const { return hAlign_; }
  VerticalAlignment GetVerAlignType() const { return vAlign_; }
  void SetHorAlignType(HorizontalAlignment align) { hAlign_ = align; }
  void SetVerAlignType(VerticalAlignment align) { vAlign_ = align; }
  bool IsFloat() const { return isFloat_; }
  bool NeedsEstimate() const { return needsEstimate_; }
  void SetNeedsEstimate(bool needs) { needsEstimate_ = needs; }
  bool IsArrangePending() const { return arrangePending_; }
  bool IsUseCache() const { return useCache_; }
  void SetUseCache(bool useCache) { useCache_ = useCache; }
  bool IsCacheDirty() const { return cacheDirty_; }
  void SetCacheDirty(bool dirty) { cacheDirty_ = dirty; }
  bool IsInternVisible() const { return visible_; }

  bool HasAutoSize() const { return fixedWidth_ == kLengthAuto || fixedHeight_ == kLengthAuto; }

  // The scroll offset of the nearest scrolling ancestor, (0, 0) without one.
  UiPoint GetScrollOffsetInScrollBox() const;

 protected:
  // Marks the area of the window without looking at visibility.
  void InvalidateWindowArea(UiRect area) const;

  std::wstring name_;
  IControlWindow* window_ = nullptr;
  Box* parent_ = nullptr;
  int fixedWidth_ = kLengthStretch;
  int fixedHeight_ = kLengthStretch;
  int minWidth_ = -1;
  int minHeight_ = -1;
  int maxWidth_ = kNoMaxLength;
  int maxHeight_ = kNoMaxLength;
  UiRect rect_;
  HorizontalAlignment hAlign_ = kHAlignLeft;
  VerticalAlignment vAlign_ = kVAlignTop;
  bool isFloat_ = false;
  bool needsEstimate_ = true;
  bool visible_ = true;
  bool parentVisible_ = true;
  bool arrangePending_ = true;
  bool useCache_ = false;
  bool cacheDirty_ = false;
  std::unique_ptr<IRenderContext> cacheContext_;

 private:
  bool initialised_ = false;
  IControlWindow* initialisedFor_ = nullptr;
};

}  // namespace ui
