#include "app/service_settings.h"

#include <cwctype>

#include "app/launch_settings.h"

namespace {

constexpr wchar_t kDefaultSite[] = L"http://www.vexmor.test";
constexpr wchar_t kDefaultPayment[] = L"pay.vexmor.test";
constexpr wchar_t kDefaultDomain[] = L"vexmor.test";
constexpr wchar_t kAccessPath[] = L"/game/s/wdAccess/?name=vexmor";
constexpr size_t kLongestHostName = 253;

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::towlower(text[i]) != prefix[i]) return false;
  }
  return true;
}

bool IsHostCharacter(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
         c == L'.' || c == L'-';
}

size_t SchemeLength(const std::wstring& site) {
  if (StartsWithNoCase(site, L"http://")) return 7;
  if (StartsWithNoCase(site, L"https://")) return 8;
  return 0;
}

}  // namespace

ServiceSettings::ServiceSettings()
    : site_(kDefaultSite), payment_(kDefaultPayment), domain_(kDefaultDomain) {}

bool ServiceSettings::IsHostName(const std::wstring& text, bool portAllowed) {
  const size_t colon = portAllowed ? text.find(L':') : std::wstring::npos;
  const std::wstring host = text.substr(0, colon);
  if (host.empty() || host.size() > kLongestHostName) return false;
  if (host.front() == L'.' || host.back() == L'.' || host.front() == L'-') return false;
  for (wchar_t c : host) {
    if (!IsHostCharacter(c)) return false;
  }
  if (colon == std::wstring::npos) return true;
  const std::wstring port = text.substr(colon + 1);
  if (port.empty() || port.size() > 5) return false;
  for (wchar_t c : port) {
    if (c < L'0' || c > L'9') return false;
  }
  return std::stoi(port) > 0 && std::stoi(port) < 65536;
}

bool ServiceSettings::IsSite(const std::wstring& text) {
  const size_t scheme = SchemeLength(text);
  if (scheme == 0) return false;
  std::wstring authority = text.substr(scheme);
  if (!authority.empty() && authority.back() == L'/') authority.pop_back();
  return IsHostName(authority, true);
}

ServiceSettings ServiceSettings::Read(const std::wstring& iniPath) {
  ServiceSettings settings;
  std::wstring site = ReadIniValue(iniPath, L"service", L"site");
  if (IsSite(site)) {
    if (site.back() == L'/') site.pop_back();
    settings.site_ = site;
  }
  const std::wstring payment = ReadIniValue(iniPath, L"service", L"payment");
  if (IsHostName(payment, true)) settings.payment_ = payment;
  const std::wstring domain = ReadIniValue(iniPath, L"service", L"domain");
  if (IsHostName(domain, false)) settings.domain_ = domain;
  return settings;
}

std::wstring ServiceSettings::SiteHost() const {
  return site_.substr(SchemeLength(site_));
}

std::wstring ServiceSettings::GameHost() const {
  return L"vexmor." + domain_;
}

std::wstring ServiceSettings::AccessUrl() const {
  return site_ + kAccessPath;
}
