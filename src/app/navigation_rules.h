#pragma once

#include <string>

class ServiceSettings;

// What the login browser does with a navigation: hand the address to the game window,
// never load it, or load it. Case-sensitive substring tests on the whole address, tried in
// a fixed order; the first that matches decides.
class NavigationRules {
 public:
  enum class Decision { kOpenGame, kCancel, kAllow };

  explicit NavigationRules(const ServiceSettings& service);
  Decision Decide(const std::wstring& url) const;

 private:
  std::wstring siteHost_;
  std::wstring paymentHost_;
  std::wstring gameHost_;
};
