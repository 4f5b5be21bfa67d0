// The login browser's navigation rules as a table, with the demo service's hosts and with
// hosts of another service.

#include "app/navigation_rules.h"

#include <gtest/gtest.h>

#include "app/service_settings.h"
#include "common/temp_folder.h"

namespace {

using Decision = NavigationRules::Decision;

struct RuleCase {
  const wchar_t* url;
  Decision decision;
};

TEST(NavigationRulesTest, TheFirstMatchingRuleDecides) {
  const NavigationRules rules{ServiceSettings()};
  const RuleCase cases[] = {
      // 1: the game, anywhere in the address, before every other rule.
      {L"http://www.vexmor.test/play?m=game&sid=3|%CD%F5|abc", Decision::kOpenGame},
      {L"http://vexmor.vexmor.test/x/m=game", Decision::kOpenGame},
      {L"http://pay.vexmor.test/?m=game", Decision::kOpenGame},
      {L"http://elsewhere.test/?m=gamer", Decision::kOpenGame},
      // 2 to 6: the service's own pages.
      {L"http://www.vexmor.test/mg/s/new_server/list", Decision::kCancel},
      {L"http://other.test/mg/s/new_server/", Decision::kCancel},
      {L"http://www.vexmor.test/kefu/ask", Decision::kCancel},
      {L"http://pay.vexmor.test/order", Decision::kCancel},
      {L"https://elsewhere.test/?back=pay.vexmor.test", Decision::kCancel},
      {L"http://www.vexmor.test/AboutUs.html", Decision::kCancel},
      {L"http://www.vexmor.test/index.php?m=mymember&c=forgetPassword&x=1", Decision::kCancel},
      // 7: the game host only under /wd/.
      {L"http://vexmor.vexmor.test/wd/index.html", Decision::kAllow},
      {L"http://vexmor.vexmor.test/", Decision::kCancel},
      {L"http://vexmor.vexmor.test/wdx/", Decision::kCancel},
      // 8: everything else, case-sensitive tests included.
      {L"http://www.vexmor.test/game/s/wdAccess/?name=vexmor&uid=&suid=&token=", Decision::kAllow},
      {L"http://www.vexmor.test/login", Decision::kAllow},
      {L"http://www.vexmor.test/KEFU/", Decision::kAllow},
      {L"http://www.vexmor.test/aboutus", Decision::kAllow},
      {L"http://www.vexmor.test/index.php?m=mymember&c=login", Decision::kAllow},
      {L"http://other.test/kefu/", Decision::kAllow},
      {L"http://example.test/?M=GAME", Decision::kAllow},
      {L"about:blank", Decision::kAllow},
      {L"", Decision::kAllow},
  };
  for (const RuleCase& c : cases) EXPECT_EQ(rules.Decide(c.url), c.decision) << c.url;
}

TEST(NavigationRulesTest, FollowTheConfiguredService) {
  test_files::TempFolder folder(L"rules_");
  const ServiceSettings service = ServiceSettings::Read(
      folder.Write(L"service.ini",
                   "[service]\nsite=https://portal.example.test\npayment=cash.example.test\n"
                   "domain=example.test\n"));
  const NavigationRules rules(service);
  const RuleCase cases[] = {
      {L"https://portal.example.test/kefu/", Decision::kCancel},
      {L"https://portal.example.test/AboutUs", Decision::kCancel},
      {L"https://cash.example.test/", Decision::kCancel},
      {L"https://vexmor.example.test/wd/", Decision::kAllow},
      {L"https://vexmor.example.test/shop", Decision::kCancel},
      // The demo service's pages are nothing special here.
      {L"http://www.vexmor.test/kefu/", Decision::kAllow},
      {L"http://pay.vexmor.test/", Decision::kAllow},
  };
  for (const RuleCase& c : cases) EXPECT_EQ(rules.Decide(c.url), c.decision) << c.url;
}

}  // namespace
