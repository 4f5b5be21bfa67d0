#pragma once

// Whether the browser runs in its sandbox. A Windows browser always does. Under Wine the
// browser is the Linux one, whose sandbox needs either unprivileged user namespaces or a
// setuid-root helper (chrome-sandbox), and which refuses to start as root with its sandbox
// on; only when the Linux side shows that it cannot work is the browser told
// --no-sandbox. The Linux side is asked once per start, by a short shell probe.

#include <string>

namespace engine {

struct SandboxFacts {
  bool wine = false;           // the browser is a Linux program started from under Wine
  bool root = false;           // it would run as root
  bool userNamespaces = true;  // unprivileged user namespaces are allowed
  bool setuidHelper = false;   // a setuid-root chrome-sandbox is installed
};

// True when the browser must be started with --no-sandbox.
bool NeedsNoSandbox(const SandboxFacts& facts);

// A /bin/sh script (its one argument: the browser's Linux path) printing one line of the
// form "root=0 userns=1 setuid=0".
const char* SandboxProbeScript();
// Reads the probe's line into facts (wine is left alone); false when it is not such a line.
bool ParseSandboxProbe(const std::string& text, SandboxFacts& facts);
// Runs the probe on the Linux side, its output going through a file in folder (a Windows
// path ending in a separator); false when it gives no answer within timeoutMs.
bool ProbeLinuxSandbox(const std::string& browserUnixPath, const std::wstring& folder,
                       unsigned timeoutMs, SandboxFacts& facts);

}  // namespace engine
