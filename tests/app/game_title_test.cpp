// The game window's title from the game address, as a table.

#include "app/game_title.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

struct TitleCase {
  const wchar_t* url;
  const wchar_t* title;
};

TEST(GameTitleTest, DecodesBothPartsOfTheAddress) {
  const TitleCase cases[] = {
      {L"http://g.test/wd/?m=game", L""},
      {L"http://g.test/wd/?m=game|Realm|abc", L"Realm-abc"},
      {L"http://g.test/wd/?m=game|Frost%20Keep|S%2012", L"Frost Keep-S 12"},
      {L"http://g.test/?m=game|a%7cb|c", L"a|b-c"},
      {L"http://g.test/?m=game|a|b|c", L"a-b|c"},
      // One part alone is the title.
      {L"http://g.test/?m=game|Solo", L"Solo"},
      {L"http://g.test/?m=game|", L""},
      {L"http://g.test/?m=game||", L"-"},
      // Never past the end; a "%" without two hexadecimal digits stays.
      {L"x|a%|b%4", L"a%-b%4"},
      {L"x|%|%%", L"%-%%"},
      {L"x|%zz%4g|100%", L"%zz%4g-100%"},
      {L"x|%41%62|%2", L"Ab-%2"},
      // Text ends at a decoded NUL.
      {L"x|ab%00cd|e", L"ab-e"},
  };
  for (const TitleCase& c : cases) EXPECT_EQ(GameTitle::FromAddress(c.url), c.title) << c.url;
}

TEST(GameTitleTest, PartsAreTextOfTheSystemCodePage) {
  // Whatever the code page, the encoded bytes of a text of it decode to that text.
  const std::wstring text = L"\u738b\u8005";
  char bytes[16] = {};
  BOOL lossy = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                       bytes, sizeof(bytes), nullptr, &lossy);
  ASSERT_GT(size, 0);
  std::wstring encoded;
  for (int i = 0; i < size; ++i) {
    wchar_t hex[4];
    swprintf(hex, 4, L"%%%02X", static_cast<unsigned char>(bytes[i]));
    encoded += hex;
  }
  std::wstring expected(size, L'\0');
  expected.resize(MultiByteToWideChar(CP_ACP, 0, bytes, size, &expected[0], size));
  EXPECT_EQ(GameTitle::FromAddress(L"http://g.test/?m=game|" + encoded + L"|abc"),
            expected + L"-abc");
  if (!lossy) {
    EXPECT_EQ(expected, text);
  }
}

TEST(GameTitleTest, PercentDecodingKeepsEveryOtherByte) {
  EXPECT_EQ(GameTitle::PercentDecode(L"%"), "%");
  EXPECT_EQ(GameTitle::PercentDecode(L"%4"), "%4");
  EXPECT_EQ(GameTitle::PercentDecode(L"a%2Fb%2f"), "a/b/");
  // The low byte of a unit beyond ANSI, as the decoding takes it.
  EXPECT_EQ(GameTitle::PercentDecode(L"\u0141"), std::string("\x41"));
  const std::wstring longPart(100000, L'%');
  EXPECT_EQ(GameTitle::PercentDecode(longPart).size(), longPart.size());
}

}  // namespace
