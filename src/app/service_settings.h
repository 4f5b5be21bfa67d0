#pragma once

#include <string>

// Where the game's service lives, from "service.ini" beside the executable (section
// "service"): the web site (scheme and host), the payment host and the service's domain.
// A missing file or key, or a value that is not a plain address of its kind, gives the
// value of the demo service.
class ServiceSettings {
 public:
  ServiceSettings();
  static ServiceSettings Read(const std::wstring& iniPath);

  // "http://www.vexmor.test": scheme and host (with a port, if any), no path.
  const std::wstring& Site() const { return site_; }
  // The host part of the site, as it appears in addresses ("www.vexmor.test").
  std::wstring SiteHost() const;
  const std::wstring& PaymentHost() const { return payment_; }
  const std::wstring& Domain() const { return domain_; }
  // The game's own host: "vexmor." followed by the domain.
  std::wstring GameHost() const;
  // The account access page on the site, to which the launch settings are appended.
  std::wstring AccessUrl() const;

  // Whether a text is a host name (letters, digits, dots and dashes, with an optional port).
  static bool IsHostName(const std::wstring& text, bool portAllowed);
  // Whether a text is an http or https address of a host with nothing after it but one "/".
  static bool IsSite(const std::wstring& text);

 private:
  std::wstring site_;
  std::wstring payment_;
  std::wstring domain_;
};
