#include "app/navigation_rules.h"

#include "app/service_settings.h"

namespace {

bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

}  // namespace

NavigationRules::NavigationRules(const ServiceSettings& service)
    : siteHost_(service.SiteHost()),
      paymentHost_(service.PaymentHost()),
      gameHost_(service.GameHost()) {}

NavigationRules::Decision NavigationRules::Decide(const std::wstring& url) const {
  if (Contains(url, L"m=game")) return Decision::kOpenGame;
  // The service's own pages that belong in the system browser or nowhere, never in the
  // login window.
  const bool blocked = Contains(url, L"mg/s/new_server/") || Contains(url, siteHost_ + L"/kefu/") ||
                       Contains(url, paymentHost_) || Contains(url, siteHost_ + L"/AboutUs") ||
                       Contains(url, siteHost_ + L"/index.php?m=mymember&c=forgetPassword");
  if (blocked) return Decision::kCancel;
  if (Contains(url, gameHost_) && !Contains(url, gameHost_ + L"/wd/")) return Decision::kCancel;
  return Decision::kAllow;
}
