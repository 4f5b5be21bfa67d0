#include "ui/services/multimedia_wake_timer.h"

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>

namespace ui {
namespace {

void CALLBACK PostWake(UINT, UINT, DWORD_PTR window, DWORD_PTR, DWORD_PTR) {
  PostMessageW(reinterpret_cast<HWND>(window), kTimerWakeMessage, 0, 0);
}

// The longest period the system accepts; a longer wait is woken early and simply polls
// again, rather than never being woken at all.
UINT LongestPeriod() {
  static const UINT longest = [] {
    TIMECAPS caps = {};
    if (timeGetDevCaps(&caps, sizeof(caps)) != TIMERR_NOERROR || caps.wPeriodMax == 0) {
      return UINT{1000000};
    }
    return caps.wPeriodMax;
  }();
  return longest;
}

}  // namespace

uint32_t MultimediaWakeTimer::Start(uint32_t periodMs, HWND__* window) {
  UINT period = std::min<UINT>(std::max<UINT>(periodMs, 1), LongestPeriod());
  return timeSetEvent(period, 1, &PostWake, reinterpret_cast<DWORD_PTR>(window),
                      TIME_PERIODIC | TIME_CALLBACK_FUNCTION);
}

void MultimediaWakeTimer::Stop(uint32_t id) {
  if (id != 0) timeKillEvent(id);
}

}  // namespace ui
