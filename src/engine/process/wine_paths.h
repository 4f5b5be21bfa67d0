#pragma once

// What the engine needs to reach the Linux side of Wine: the host's path of a Windows
// path, and arguments quoted for a command line.

#include <string>

namespace engine {

// Whether the process runs under Wine.
bool RunsUnderWine();
// The Linux path of a Windows path, without a trailing slash; empty outside Wine.
std::string UnixPath(const std::wstring& path);
// One argument quoted as the Windows command-line rules read it back.
std::wstring QuoteArgument(const std::wstring& arg);
// Starts the Linux side's /bin/sh with the command line and does not wait for it.
bool StartUnixShell(std::wstring commandLine);

}  // namespace engine
