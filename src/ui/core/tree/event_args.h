#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ui/render/render_types.h"

namespace ui {

class Control;

// What an event is about. Layout files name the public ones by the lower-case names of
// EventTypeFromName; the internal ones (below 4) reach only HandleEvent.
enum EventType : int {
  kEventInternalButtonDown = 0,
  kEventInternalMenu = 1,
  kEventInternalSetFocus = 2,
  kEventInternalKillFocus = 3,
  kEventNone = 4,
  kEventAll = 6,
  kEventKeyDown = 8,
  kEventKeyUp = 9,
  kEventChar = 10,
  kEventSysKey = 11,
  kEventMouseMove = 14,
  kEventMouseEnter = 15,
  kEventMouseLeave = 16,
  kEventMouseHover = 17,
  kEventButtonDown = 18,
  kEventButtonUp = 19,
  kEventRButtonDown = 20,
  kEventRButtonUp = 21,
  kEventDoubleClick = 22,
  kEventMenu = 23,
  kEventScrollWheel = 24,
  kEventTouchDown = 27,
  kEventTouchMove = 28,
  kEventTouchUp = 29,
  kEventPointerDown = 32,
  kEventPointerUpdate = 33,
  kEventPointerUp = 34,
  kEventSetFocus = 36,
  kEventKillFocus = 37,
  kEventWindowResize = 38,
  kEventWindowClose = 39,
  kEventSetCursor = 40,
  kEventClick = 41,
  kEventSelect = 42,
  kEventUnselect = 43,
  kEventReturn = 45,
  kEventTab = 46,
  kEventImeStartComposition = 48,
  kEventImeEndComposition = 49,
  kEventScrollChange = 50,
  kEventValueChange = 51,
  kEventResize = 52,
};

// The first and last event a control treats as mouse input.
constexpr int kEventMouseFirst = kEventMouseMove;
constexpr int kEventMouseLast = kEventScrollWheel;

// The type a layout file names; a name not in the table is kEventNone.
EventType EventTypeFromName(const std::wstring& name);
// The layout name of a type; empty for types layouts cannot name.
std::wstring EventTypeName(EventType type);

// One event, as handlers and controls see it.
struct EventArgs {
  EventType type = kEventNone;
  Control* sender = nullptr;
  std::uint32_t timestamp = 0;  // GetTickCount when the event was made
  UiPoint mousePoint;           // window client coordinates
  wchar_t keyCharacter = 0;
  std::uint32_t wParam = 0;
  std::uint32_t lParam = 0;
  float pressure = 0.0f;
};

// False stops the rest of the handler list it belongs to.
using EventHandler = std::function<bool(EventArgs*)>;

}  // namespace ui
