// Only absolute web addresses reach the system shell.

#include "app/shell_opener.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/web_address.h"

namespace {

class ShellOpenerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ShellOpener::SetOpenFunction([this](const std::wstring& url) { opened.push_back(url); });
  }
  void TearDown() override { ShellOpener::SetOpenFunction(nullptr); }
  std::vector<std::wstring> opened;
};

TEST_F(ShellOpenerTest, OpensHttpAndHttpsAddressesOnly) {
  const wchar_t* web[] = {L"http://pay.vexmor.test/order?id=1", L"https://example.test",
                          L"HTTPS://Example.test/A#b", L"http://127.0.0.1:8080/",
                          L"http://[::1]/x"};
  for (const wchar_t* url : web) EXPECT_TRUE(ShellOpener::Open(url)) << url;
  EXPECT_EQ(opened, std::vector<std::wstring>(std::begin(web), std::end(web)));
}

TEST_F(ShellOpenerTest, EveryOtherAddressNeverReachesTheShell) {
  const wchar_t* refused[] = {L"",
                              L"file:///C:/Windows/System32/calc.exe",
                              L"file://server/share/x.exe",
                              L"\\\\server\\share\\setup.exe",
                              L"C:\\Windows\\notepad.exe",
                              L"javascript:alert(1)",
                              L"ms-settings:privacy",
                              L"steam://run/1",
                              L"mailto:a@b.test",
                              L"ftp://host/",
                              L"http:",
                              L"http://",
                              L"http:///path",
                              L"http://\\\\server\\share",
                              L"http:\\\\server",
                              L"httpx://host",
                              L" http://host",
                              L"http://host/a b",
                              L"http://host/\"x\"",
                              L"http://host/\r\nx",
                              L"about:blank",
                              L"data:text/html,x",
                              L"//host/path"};
  for (const wchar_t* url : refused) {
    EXPECT_FALSE(WebAddress::IsWeb(url)) << url;
    EXPECT_FALSE(ShellOpener::Open(url)) << url;
  }
  EXPECT_TRUE(opened.empty());
}

}  // namespace
