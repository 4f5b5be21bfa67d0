#include "engine/process/sandbox_policy.h"

#include <windows.h>

#include "engine/base/small_file.h"
#include "engine/base/utf8.h"
#include "engine/process/wine_paths.h"

namespace engine {
namespace {

// The kernel's switches for unprivileged user namespaces: Debian's own (0 turns them off),
// the general limit (0 allows none), and Ubuntu's AppArmor rule (1 denies them to programs
// without a profile of their own).
const char kProbe[] =
    "u=0; [ \"$(id -u)\" = 0 ] && u=1\n"
    "n=1\n"
    "v=$(cat /proc/sys/kernel/unprivileged_userns_clone 2>/dev/null) && [ \"$v\" = 0 ] && n=0\n"
    "v=$(cat /proc/sys/user/max_user_namespaces 2>/dev/null) && [ \"$v\" = 0 ] && n=0\n"
    "v=$(cat /proc/sys/kernel/apparmor_restrict_unprivileged_userns 2>/dev/null) && "
    "[ \"$v\" = 1 ] && n=0\n"
    "s=0\n"
    "b=$(readlink -f \"$1\" 2>/dev/null)\n"
    "for h in \"$CHROME_DEVEL_SANDBOX\" \"${b%/*}/chrome-sandbox\" "
    "/usr/lib/chromium/chrome-sandbox; do\n"
    "  [ -n \"$h\" ] && [ -u \"$h\" ] && [ \"$(stat -c %u \"$h\")\" = 0 ] && s=1\n"
    "done\n"
    "echo \"root=$u userns=$n setuid=$s\"\n";

bool ReadFlag(const std::string& text, const std::string& name, bool& value) {
  const size_t at = text.find(name + "=");
  if (at == std::string::npos || at + name.size() + 1 >= text.size()) return false;
  const char c = text[at + name.size() + 1];
  if (c != '0' && c != '1') return false;
  value = c == '1';
  return true;
}

}  // namespace

bool NeedsNoSandbox(const SandboxFacts& facts) {
  if (!facts.wine) return false;
  return facts.root || (!facts.userNamespaces && !facts.setuidHelper);
}

const char* SandboxProbeScript() {
  return kProbe;
}

bool ParseSandboxProbe(const std::string& text, SandboxFacts& facts) {
  SandboxFacts read = facts;
  if (!ReadFlag(text, "root", read.root) || !ReadFlag(text, "userns", read.userNamespaces) ||
      !ReadFlag(text, "setuid", read.setuidHelper)) {
    return false;
  }
  facts = read;
  return true;
}

bool ProbeLinuxSandbox(const std::string& browserUnixPath, const std::wstring& folder,
                       unsigned timeoutMs, SandboxFacts& facts) {
  const std::wstring answer = folder + L"sandbox-probe";
  DeleteFileW(answer.c_str());
  // The answer appears whole: it is written aside and renamed.
  const std::string script = std::string("o=$1; shift; (") + kProbe +
                             ") >\"$o.part\" 2>/dev/null </dev/null; mv \"$o.part\" \"$o\"";
  std::wstring commandLine = L"/bin/sh -c " + QuoteArgument(Utf8ToWide(script)) + L" sh " +
                             QuoteArgument(Utf8ToWide(UnixPath(answer))) + L" " +
                             QuoteArgument(Utf8ToWide(browserUnixPath));
  if (!StartUnixShell(commandLine)) return false;
  const DWORD start = GetTickCount();
  while (GetFileAttributesW(answer.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(10);
  }
  const bool read = ParseSandboxProbe(ReadSmallFile(answer, 256), facts);
  DeleteFileW(answer.c_str());
  return read;
}

}  // namespace engine
