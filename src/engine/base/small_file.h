#pragma once

#include <string>

namespace engine {

// The first bytes of a file the browser's side writes (a port, a probe's answer), up to
// limit; empty when it cannot be read.
std::string ReadSmallFile(const std::wstring& path, size_t limit);

}  // namespace engine
