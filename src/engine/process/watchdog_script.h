#pragma once

// The /bin/sh script that starts the browser under Wine and watches the client's heartbeat
// file, ending the browser once the heartbeat stops changing.
//
// The heartbeat is judged on the script's own count of its sleeps, never on the wall clock:
// a clock set forward or back, or a machine resumed from sleep, must not end the browser of
// a living client. Each check adds the time it slept (in tenths of a second) to the quiet
// time, and any change of the heartbeat's content or modification time resets it; a
// suspended machine sleeps no time in between. A removed heartbeat is stale at once.

#include <string>

namespace engine {

// Quiet time after which the heartbeat counts as stale, in tenths of a second.
constexpr int kHeartbeatStaleTenths = 80;

// Defines `alive TENTHS` (true while the heartbeat at "$hb" lives) with its state `last`
// and `idle`: the part of the watchdog that decides.
std::string HeartbeatCheckScript();
// The whole watchdog (arguments: browser, profile folder, heartbeat, log, exit marker,
// "pipe" or empty, then the browser's switches).
std::string WatchdogScript();

}  // namespace engine
