#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/core/image_attributes/i_image_host.h"
#include "ui/core/image_attributes/image_attribute.h"
#include "ui/core/tree/control_animations.h"
#include "ui/core/tree/control_state.h"
#include "ui/core/tree/event_args.h"
#include "ui/core/tree/place_holder.h"
#include "ui/core/tree/state_image_set.h"

namespace ui {

class Control;
template <typename T>
class AttributeTable;
class ScaleChange;

enum CursorType { kCursorArrow = 0, kCursorHand = 1, kCursorIBeam = 2 };

// What FindControl looks at.
enum FindFlags : unsigned int {
  kFindVisible = 0x1,
  kFindEnabled = 0x2,
  kFindHitTest = 0x4,
  kFindTopFirst = 0x8,
  kFindMeFirst = 0x80000000u,
};
// Answers the control FindControl stops at, or none to search on. data is the caller's,
// a point (UiPoint*) when hit testing.
using FindControlProc = Control* (*)(Control* control, void* data);

// Whatever an application hangs on a control; the control owns it.
class UserData {
 public:
  virtual ~UserData() = default;
};

// Handler lists are replaced, never changed in place, so a dispatch holds a snapshot that
// handlers may add to or remove from without disturbing it.
using EventHandlerList = std::vector<EventHandler>;
using EventHandlerMap = std::map<int, std::shared_ptr<const EventHandlerList>>;

// Appends a handler to the list of a key, replacing the list.
void AddEventHandler(EventHandlerMap* map, int key, EventHandler handler);
// Runs the handlers of a key in order, stopping at the first that returns false or when the
// flag dies. Only a list that exists sets *result: true when every handler ran on.
void RunEventHandlers(const EventHandlerMap& map, int key, EventArgs* args,
                      const std::weak_ptr<kbase::WeakFlag>& alive, bool* result);
// The list of a key and then that of "all", each run as above; false once the flag died.
bool RunTypeAndAllHandlers(const EventHandlerMap& map, EventArgs* args,
                           const std::weak_ptr<kbase::WeakFlag>& alive, bool* result);

// The state whose look is shown for a state: Pushed falls back to Hot, Hot and Disabled to
// Normal, while the state has no look of its own (lookOf gives an empty name).
template <typename LookOf>
ControlState FallbackState(ControlState state, const LookOf& lookOf) {
  if (state == ControlState::kPushed && lookOf(state).empty()) state = ControlState::kHot;
  if (state == ControlState::kHot && lookOf(state).empty()) state = ControlState::kNormal;
  if (state == ControlState::kDisabled && lookOf(state).empty()) state = ControlState::kNormal;
  return state;
}

// The base of every element of a window's control tree: visual layers (colours, images,
// border), the interaction states, and events.
class Control : public PlaceHolder, public IImageHost {
 public:
  Control();
  ~Control() override;

  // Geometry.
  UiSize EstimateSize(UiSize available) override;
  void SetPosition(const UiRect& rect) override;
  void Invalidate() override;
  void SetFixedWidth(int width, bool relayoutNow = true, bool scale = true);
  void SetFixedHeight(int height, bool scale = true);
  void SetMinWidth(int width, bool scale = true);
  void SetMinHeight(int height, bool scale = true);
  void SetMaxWidth(int width, bool scale = true);
  void SetMaxHeight(int height, bool scale = true);
  void SetFloat(bool isFloat);
  UiRect GetMargin() const { return margin_; }
  virtual void SetMargin(const UiRect& margin, bool scale = true);
  // Carries the lengths the control holds over to a new scale (a box's children too), with
  // no relayout: whoever changes the scale lays the tree out once afterwards.
  virtual void RescaleLengths(const ScaleChange& change);
  // The size of the control's text; nothing here. needsEstimate may be set again when the
  // text's size is not final yet.
  virtual UiSize EstimateText(UiSize available, bool* needsEstimate);
  virtual bool HitTestScrolled(const UiPoint& point) const;

  // The image the control sizes itself by: the background image, else the first state
  // image of the background layer that has a file.
  virtual ImageAttribute* GetSizingImage();
  virtual CursorType GetCursorType() const { return cursorType_; }
  void SetCursorType(CursorType type) { cursorType_ = type; }

  // Tooltips: "<n>" in a text is a line break.
  virtual std::wstring GetToolTipText() const;
  virtual std::string GetUtf8ToolTipText() const;
  virtual void SetToolTipText(const std::wstring& text);
  virtual void SetUtf8ToolTipText(const std::string& text);
  virtual void SetToolTipTextId(const std::wstring& id);
  virtual void SetUtf8ToolTipTextId(const std::string& id);
  virtual void SetToolTipWidth(int width);
  virtual int GetToolTipWidth() const { return tooltipWidth_; }
  virtual bool IsContextMenuUsed() const { return contextMenuUsed_; }
  virtual void SetContextMenuUsed(bool used) { contextMenuUsed_ = used; }
  virtual std::wstring GetDataID() const { return dataId_; }
  virtual std::string GetUtf8DataID() const;
  virtual void SetDataID(const std::wstring& id) { dataId_ = id; }
  virtual void SetUtf8DataID(const std::string& id);
  virtual UserData* GetUserData() const { return userData_.get(); }
  // Takes ownership and destroys the object held before, unless it is the same one.
  virtual void SetUserData(UserData* data);

  // Visibility, enabled state and focus.
  virtual void SetFadeVisible(bool visible);
  virtual void SetParentVisible(bool visible);
  virtual void SetVisible(bool visible);
  virtual bool IsEnabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  virtual bool IsMouseEnabled() const { return mouseEnabled_; }
  virtual void SetMouseEnabled(bool enabled) { mouseEnabled_ = enabled; }
  virtual bool IsKeyboardEnabled() const { return keyboardEnabled_; }
  virtual void SetKeyboardEnabled(bool enabled) { keyboardEnabled_ = enabled; }
  virtual bool IsFocused() const { return focused_; }
  virtual void SetFocus();
  virtual bool CanTakeTabFocus() const { return true; }
  virtual bool IsPressed() const { return pressed_; }
  virtual void SetPressed(bool pressed) { pressed_ = pressed; }
  virtual bool IsActivatable() const { return IsVisible() && IsEnabled(); }
  // Whether the control takes clicks of its own even inside a window's caption band
  // (buttons and edits do); elsewhere in the band a press moves the window.
  virtual bool IsClickTarget() const { return false; }
  // Whether Tab typed while the control has the focus is its own rather than a focus move.
  virtual bool WantsTab() const { return false; }
  virtual void Activate() {}
  virtual Control* FindControl(FindControlProc proc, void* data, unsigned int flags,
                               const UiPoint& scrollOffset = UiPoint{});

  // Events.
  virtual void DispatchEvent(EventArgs* args);
  virtual void HandleEvent(EventArgs* args);
  virtual bool HasHotState();
  virtual bool MouseEnter(EventArgs* args);
  virtual bool MouseLeave(EventArgs* args);
  virtual bool ButtonDown(EventArgs* args);
  virtual bool ButtonUp(EventArgs* args);
  // Builds the event from this control and dispatches it.
  void SendEvent(EventType type, std::uint32_t wParam = 0, std::uint32_t lParam = 0,
                 wchar_t keyCharacter = 0, float pressure = 0.0f,
                 const UiPoint& mousePoint = UiPoint{});
  void AttachEvent(EventType type, EventHandler handler);
  void AttachLayoutEvent(EventType type, EventHandler handler);
  void AttachImageEvent(int key, EventHandler handler);
  void DetachEvent(EventType type);

  // Attributes.
  virtual void SetAttribute(const std::wstring& name, const std::wstring& value);
  // Applies name="value" pairs separated by one blank; stops silently at the first fault.
  void ApplyAttributeList(const std::wstring& list);
  void SetClass(const std::wstring& classNames);
  void SetBkColor(const std::wstring& color);
  void SetBkColor1(const std::wstring& color);
  std::wstring GetBkColor() const { return bkColor_; }
  void SetStateColor(ControlState state, const std::wstring& color);
  std::wstring GetStateColor(ControlState state) const;
  void SetBorderColor(const std::wstring& color);
  void SetBorderSize(int size, bool scale = true);
  void SetBorderSize(const UiRect& sides, bool scale = true);
  int GetBorderSize() const { return borderSize_; }
  UiRect GetBorderSides() const { return borderSides_; }
  UiSize GetBorderRound() const { return borderRound_; }
  void SetBorderRound(UiSize round, bool scale = true);
  void SetBkImage(const std::wstring& text);
  void SetStateImage(int layer, ControlState state, const std::wstring& text);
  ControlState GetState() const { return state_; }
  void SetState(ControlState state);
  int GetAlpha() const { return alpha_; }
  void SetAlpha(int alpha);
  int GetHotAlpha() const override { return hotAlpha_; }
  void SetHotAlpha(int alpha);
  UiPoint GetRenderOffset() const { return renderOffset_; }
  void SetRenderOffset(UiPoint offset, bool scale = true);
  void SetNoFocus() { noFocus_ = true; }
  bool IsClipToBounds() const { return clipToBounds_; }
  void SetClipToBounds(bool clip) { clipToBounds_ = clip; }
  bool IsReceivePointer() const { return receivePointer_; }
  void SetReceivePointer(bool receive) { receivePointer_ = receive; }
  bool IsButtonUpOnFocusLoss() const { return buttonUpOnFocusLoss_; }
  void SetButtonUpOnFocusLoss(bool on) { buttonUpOnFocusLoss_ = on; }
  ControlAnimations& GetAnimations() { return animations_; }

  // Painting.
  virtual void Paint(IRenderContext& context, const UiRect& paintRect);
  virtual void PaintLayers(IRenderContext& context, const UiRect& paintRect);
  virtual void PaintChildren(IRenderContext& context, const UiRect& paintRect);
  virtual void PaintBkColor(IRenderContext& context);
  virtual void PaintBkImage(IRenderContext& context);
  virtual void PaintStateColor(IRenderContext& context);
  virtual void PaintStateImages(IRenderContext& context);
  virtual void PaintText(IRenderContext& context);
  virtual void PaintBorder(IRenderContext& context);

  // Images.
  virtual void RestoreImagesFromCache();
  virtual void ReleaseBkImage();
  virtual void ReleaseAllImages();

  // IImageHost.
  std::wstring GetResourceSubFolder() const override;
  UiRect GetItemRect() const override { return rect_; }
  UiRect GetPaintRect() const override { return paintRect_; }
  bool IsHotFadeEnabled() const override;
  ImageAttribute& GetBkImage() override { return bkImage_; }
  bool IsBkImageAnimationAllowed() const override { return animateBkImage_; }
  void SetBkImageAnimationAllowed(bool allowed) override { animateBkImage_ = allowed; }
  kbase::WeakCallbackFlag& GetBkImageAnimationFlag() override { return bkImageAnimationFlag_; }
  void OnBkImageAnimationFinished() override;

 protected:
  // Whether the control is this one or below it.
  bool IsSelfOrAncestorOf(const Control* control) const;
  // A control whose mouse input is off does nothing with mouse events: it hands them to its
  // parent's dispatch with the sender unchanged, as any bubbling event, so that the parent's
  // bubbled handlers and its own handling see them (without a parent they are dropped).
  // True when the event was such a one and has been passed on.
  bool PassOnDisabledMouse(EventArgs* args);
  // Dispatches to this control's own code and layout handlers; false stops the event.
  bool RunOwnHandlers(EventArgs* args, const std::weak_ptr<kbase::WeakFlag>& alive);
  void StopBkImageAnimation();
  // The end of a press: hot or normal, with the hot alpha to match.
  void SettleHotState(bool hot);
  void PaintThroughCache(IRenderContext& context, const UiRect& paintRect, bool keepCache);
  // Fills the paint rectangle with the colour of the current state from the set, with the
  // hot fade and the fallbacks of state colours.
  void PaintStateColors(IRenderContext& context,
                        const std::map<ControlState, std::wstring>& colors);

  EventHandlerMap layoutHandlers_;
  EventHandlerMap codeHandlers_;
  EventHandlerMap imageEventHandlers_;
  std::unique_ptr<UserData> userData_;
  bool contextMenuUsed_ = false;
  bool enabled_ = true;
  bool mouseEnabled_ = true;
  bool keyboardEnabled_ = true;
  bool focused_ = false;
  bool pressed_ = false;
  bool inResizeEvent_ = false;
  bool noFocus_ = false;
  bool clipToBounds_ = true;
  bool animateBkImage_ = true;
  bool receivePointer_ = true;
  bool buttonUpOnFocusLoss_ = false;
  int borderSize_ = 0;
  int tooltipWidth_ = 300;
  int alpha_ = 255;
  int hotAlpha_ = 0;
  UiSize estimatedSize_;
  UiPoint renderOffset_;
  UiSize borderRound_;
  UiRect margin_;
  UiRect paintRect_;
  UiRect borderSides_;
  CursorType cursorType_ = kCursorArrow;
  ControlState state_ = ControlState::kNormal;
  std::wstring tooltipText_;
  std::wstring tooltipTextId_;
  std::wstring dataId_;
  std::wstring bkColor_;
  std::wstring bkColor1_;
  std::map<ControlState, std::wstring> stateColors_;
  ImageAttribute bkImage_;
  // Made when a state image is first set: most controls have none, and a tree of many
  // controls is smaller for it.
  std::unique_ptr<StateImageSet> bkStateImages_;
  std::unique_ptr<StateImageSet> foreStateImages_;
  std::wstring borderColor_;
  kbase::WeakCallbackFlag bkImageAnimationFlag_;
  ControlAnimations animations_{this};

 private:
  // The attributes SetAttribute reads, by name.
  static const AttributeTable<Control>& Attributes();
};

}  // namespace ui
