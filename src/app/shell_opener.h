#pragma once

#include <functional>
#include <string>

// Hands addresses to the system's default web browser. Only web addresses go (WebAddress):
// anything else could start a program or open a local file from a page's popup.
class ShellOpener {
 public:
  // What opens an address; ShellExecuteW by default. Tests replace it (none restores it).
  using OpenFunction = std::function<void(const std::wstring& url)>;
  static void SetOpenFunction(OpenFunction open);

  // Opens a web address; false, with nothing opened, for any other.
  static bool Open(const std::wstring& url);
};
