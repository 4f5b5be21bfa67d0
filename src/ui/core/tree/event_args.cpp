#include "ui/core/tree/event_args.h"

#include <iterator>

namespace ui {

namespace {

struct NamedEvent {
  const wchar_t* name;
  EventType type;
};

constexpr NamedEvent kEventNames[] = {
    {L"all", kEventAll},
    {L"keydown", kEventKeyDown},
    {L"keyup", kEventKeyUp},
    {L"char", kEventChar},
    {L"syskey", kEventSysKey},
    {L"mousemove", kEventMouseMove},
    {L"mouseenter", kEventMouseEnter},
    {L"mouseleave", kEventMouseLeave},
    {L"mousehover", kEventMouseHover},
    {L"buttondown", kEventButtonDown},
    {L"buttonup", kEventButtonUp},
    {L"rbuttondown", kEventRButtonDown},
    {L"doubleclick", kEventDoubleClick},
    {L"menu", kEventMenu},
    {L"scrollwheel", kEventScrollWheel},
    {L"setfocus", kEventSetFocus},
    {L"killfocus", kEventKillFocus},
    {L"windowclose", kEventWindowClose},
    {L"setcursor", kEventSetCursor},
    {L"select", kEventSelect},
    {L"unselect", kEventUnselect},
    {L"return", kEventReturn},
    {L"tab", kEventTab},
    {L"scrollchange", kEventScrollChange},
    {L"valuechange", kEventValueChange},
};

}  // namespace

EventType EventTypeFromName(const std::wstring& name) {
  for (const NamedEvent& entry : kEventNames) {
    if (name == entry.name) return entry.type;
  }
  return kEventNone;
}

std::wstring EventTypeName(EventType type) {
  for (const NamedEvent& entry : kEventNames) {
    if (entry.type == type) return entry.name;
  }
  return std::wstring();
}

}  // namespace ui
