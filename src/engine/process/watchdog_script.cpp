#include "engine/process/watchdog_script.h"

namespace engine {
namespace {

const char kHeartbeatCheck[] =
    "last=; idle=0\n"
    "alive() {\n"
    "  [ -e \"$hb\" ] || return 1\n"
    "  s=\"$(stat -c %y \"$hb\" 2>/dev/null) $(cat \"$hb\" 2>/dev/null)\"\n"
    "  if [ \"$s\" != \"$last\" ]; then last=$s; idle=0; return 0; fi\n"
    "  idle=$((idle + $1))\n"
    "  [ $idle -le STALE_TENTHS ]\n"
    "}\n";

// Ends the browser when the heartbeat goes stale or is removed, and leaves a marker when the
// browser has gone. Its own output goes nowhere, so it holds none of the caller's pipes.
// Everything it makes is the user's alone (umask 077, the profile folder 700). With a sixth
// argument it makes the browser's pipes: FIFOs cdp-in and cdp-out (600) on the browser's
// descriptors 3 and 4, opened read-write so that neither side's open waits for the other.
// The script holds them too until the client took them (it removes cdp-ready) or is gone,
// so the client's open never waits on a browser that already ended; afterwards the
// browser's end is the end of cdp-out. The browser runs in a session of its own, so an
// interrupt meant for the client's terminal (Ctrl+C) or process group reaches only the
// watchdog: it ignores them and ends the browser once the client's heartbeat stops.
const char kWatchdog[] =
    "exec </dev/null >/dev/null 2>&1\n"
    "trap '' INT TERM HUP QUIT\n"
    "umask 077\n"
    "b=$1; d=$2; hb=$3; log=$4; ex=$5; pipe=$6; shift 6\n"
    "[ -n \"$log\" ] || log=/dev/null\n"
    "HEARTBEAT_CHECK"
    "alive 0\n"
    "chmod 700 \"$d\"\n"
    "if [ -n \"$pipe\" ]; then\n"
    "  rm -f \"$d/cdp-in\" \"$d/cdp-out\" \"$d/cdp-ready\"\n"
    "  mkfifo -m 600 \"$d/cdp-in\" \"$d/cdp-out\" || { echo gone > \"$ex\"; exit 1; }\n"
    "  exec 5<>\"$d/cdp-in\" 6<>\"$d/cdp-out\"\n"
    "  setsid \"$b\" \"$@\" --user-data-dir=\"$d\" about:blank 3<>\"$d/cdp-in\" 4<>\"$d/cdp-out\" "
    "\\\n"
    "    5<&- 6<&- >>\"$log\" 2>&1 &\n"
    "  p=$!\n"
    "  echo ready > \"$d/cdp-ready\"\n"
    "else\n"
    "  setsid \"$b\" \"$@\" --user-data-dir=\"$d\" about:blank >>\"$log\" 2>&1 &\n"
    "  p=$!\n"
    "fi\n"
    "while kill -0 \"$p\" 2>/dev/null; do\n"
    "  sleep 1\n"
    "  if ! alive 10; then\n"
    "    kill -TERM -$p 2>/dev/null; sleep 2; kill -KILL -$p 2>/dev/null\n"
    "  fi\n"
    "done\n"
    "wait \"$p\" 2>/dev/null\n"
    "while [ -e \"$d/cdp-ready\" ] && alive 2; do sleep 0.2; done\n"
    "exec 5>&- 6>&-\n"
    // The browser's helper processes share its process group: they go too.
    "i=0\n"
    "while kill -0 -$p 2>/dev/null && [ $i -lt 25 ]; do sleep 0.2; i=$((i + 1)); done\n"
    "kill -KILL -$p 2>/dev/null\n"
    "rm -f \"$d\"/Singleton* \"$d/cdp-in\" \"$d/cdp-out\" \"$d/cdp-ready\"\n"
    "echo gone > \"$ex\"\n";

void Replace(std::string& text, const std::string& placeholder, const std::string& value) {
  text.replace(text.find(placeholder), placeholder.size(), value);
}

}  // namespace

std::string HeartbeatCheckScript() {
  std::string script = kHeartbeatCheck;
  Replace(script, "STALE_TENTHS", std::to_string(kHeartbeatStaleTenths));
  return script;
}

std::string WatchdogScript() {
  std::string script = kWatchdog;
  Replace(script, "HEARTBEAT_CHECK", HeartbeatCheckScript());
  return script;
}

}  // namespace engine
