#pragma once

#include <string>

// The only kind of address a page may have the client load or open for it: an absolute
// http or https address with a host. Anything else (file:, data:, javascript:, chrome:,
// UNC paths, other protocol handlers) would reach a local file, a program or a privileged
// page that the page could not reach by itself.
class WebAddress {
 public:
  static bool IsWeb(const std::wstring& url);
};
