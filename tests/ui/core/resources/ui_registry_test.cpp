#include "ui/core/resources/ui_registry.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/core/markup/xml_document.h"
#include "ui/core/markup/xml_node.h"
#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/language_strings.h"
#include "ui/core/temp_folder.h"
#include "ui/render/i_render_context.h"
#include "ui/render/i_render_factory.h"
#include "ui/render/render_lookup.h"

namespace ui {
namespace {

const wchar_t kYaHei[] = L"\u5FAE\u8F6F\u96C5\u9ED1";

LOGFONTW FontOf(HFONT handle) {
  LOGFONTW font = {};
  GetObjectW(handle, sizeof(font), &font);
  return font;
}

LOGFONTW StockGuiFont() {
  LOGFONTW font = {};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  return font;
}

struct PathCase {
  const wchar_t* input;
  const wchar_t* stored;
};

TEST(ResourcePathTest, EndsInOneSeparator) {
  const PathCase cases[] = {
      {L"C:\\game\\resources\\themes\\default", L"C:\\game\\resources\\themes\\default\\"},
      {L"C:\\game\\resources\\", L"C:\\game\\resources\\"},
      {L"C:/game/resources/", L"C:/game/resources/"},
      {L"", L""},
  };
  for (const PathCase& c : cases) {
    UiRegistry::SetResourcePath(c.input);
    EXPECT_EQ(UiRegistry::GetResourcePath(), c.stored) << testing::PrintToString(c.input);
  }
}

class FontTest : public ::testing::Test {
 protected:
  FontTest() { UiRegistry::RemoveAllFonts(); }
  ~FontTest() override { UiRegistry::RemoveAllFonts(); }
};

TEST_F(FontTest, UnnamedFontsAreNumberedInOrder) {
  ASSERT_NE(UiRegistry::AddFont(L"", L"Arial", 12, false, false, false, false), nullptr);
  ASSERT_NE(UiRegistry::AddFont(L"", L"Tahoma", 14, false, false, false, false), nullptr);
  const FontRecord* first = UiRegistry::GetFont(L"0");
  const FontRecord* second = UiRegistry::GetFont(L"1");
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(first->faceName, L"Arial");
  EXPECT_EQ(second->faceName, L"Tahoma");
  EXPECT_EQ(second->size, 14);
}

TEST_F(FontTest, SystemFaceIsTheCurrentUiFace) {
  HFONT handle = UiRegistry::AddFont(L"sys", L"system", 12, false, false, false, false);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(UiRegistry::GetFont(L"sys")->faceName, kYaHei);
  EXPECT_STREQ(FontOf(handle).lfFaceName, kYaHei);
}

struct StyleCase {
  bool bold;
  bool underline;
  bool italic;
};

TEST_F(FontTest, StartsFromTheStockGuiFont) {
  const LOGFONTW stock = StockGuiFont();
  const StyleCase cases[] = {{false, false, false},
                             {true, false, false},
                             {false, true, false},
                             {false, false, true},
                             {true, true, true}};
  int index = 0;
  for (const StyleCase& c : cases) {
    const std::wstring id = L"style" + std::to_wstring(index++);
    HFONT handle = UiRegistry::AddFont(id, L"Arial", 15, c.bold, c.underline, c.italic, false);
    ASSERT_NE(handle, nullptr);
    const LOGFONTW font = FontOf(handle);
    EXPECT_STREQ(font.lfFaceName, L"Arial");
    EXPECT_EQ(font.lfHeight, -15);
    EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(font.lfWeight, stock.lfWeight + (c.bold ? FW_BOLD : 0)) << id;
    EXPECT_EQ(font.lfUnderline != 0, c.underline || stock.lfUnderline) << id;
    EXPECT_EQ(font.lfItalic != 0, c.italic || stock.lfItalic) << id;
    const FontRecord* record = UiRegistry::GetFont(id);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->handle, handle);
    EXPECT_EQ(record->bold, c.bold);
    EXPECT_EQ(record->underline, c.underline);
    EXPECT_EQ(record->italic, c.italic);
  }
}

TEST_F(FontTest, FirstRegistrationOfAnIdWins) {
  HFONT first = UiRegistry::AddFont(L"title", L"Arial", 12, false, false, false, false);
  HFONT second = UiRegistry::AddFont(L"title", L"Tahoma", 20, true, false, false, false);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(second, first);
  const FontRecord* record = UiRegistry::GetFont(L"title");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->faceName, L"Arial");
  EXPECT_EQ(record->size, 12);
  EXPECT_EQ(OBJ_FONT, GetObjectType(reinterpret_cast<HGDIOBJ>(first)));
}

TEST_F(FontTest, RejectedFontsDoNotLeakTheirHandles) {
  // More than the process may ever hold at once: a leaked handle per call would exhaust
  // the handle table long before the end.
  constexpr int kAttempts = 70000;
  ASSERT_NE(UiRegistry::AddFont(L"same", L"Arial", 12, false, false, false, false), nullptr);
  for (int i = 0; i < kAttempts; ++i) {
    if (UiRegistry::AddFont(L"same", L"Arial", 12, false, false, false, false) == nullptr) {
      FAIL() << "font creation failed after " << i << " repeated registrations";
    }
  }
  EXPECT_NE(UiRegistry::AddFont(L"fresh", L"Arial", 12, false, false, false, false), nullptr);
}

TEST_F(FontTest, DefaultFontAnswersTheEmptyId) {
  EXPECT_EQ(UiRegistry::GetFont(L""), nullptr);
  UiRegistry::AddFont(L"plain", L"Arial", 12, false, false, false, false);
  UiRegistry::AddFont(L"main", L"Tahoma", 13, false, false, false, true);
  ASSERT_NE(UiRegistry::GetFont(L""), nullptr);
  EXPECT_EQ(UiRegistry::GetFont(L"")->faceName, L"Tahoma");
  EXPECT_EQ(UiRegistry::GetDefaultFontId(), L"main");
}

TEST_F(FontTest, RemoveAllFontsDeletesTheHandles) {
  HFONT handle = UiRegistry::AddFont(L"gone", L"Arial", 12, false, false, false, false);
  ASSERT_EQ(OBJ_FONT, GetObjectType(reinterpret_cast<HGDIOBJ>(handle)));
  UiRegistry::RemoveAllFonts();
  EXPECT_EQ(UiRegistry::GetFont(L"gone"), nullptr);
  EXPECT_EQ(0u, GetObjectType(reinterpret_cast<HGDIOBJ>(handle)));
  EXPECT_EQ(UiRegistry::GetFont(L"nothing"), nullptr);
}

struct ColorCase {
  const wchar_t* value;
  uint32_t expected;
};

TEST(TextColorTest, ValuesSkipTheirFirstCharacter) {
  const ColorCase cases[] = {
      {L"#FF000000", 0xFF000000},
      {L"#00000000", 0x00000000},
      {L"#FF1A2B3C", 0xFF1A2B3C},
      {L"#80ffffff", 0x80FFFFFF},
      {L"FF102030", 0x0F102030},  // no hash: first digit lost
      {L"", 0},
      {L"#", 0},
      {L"#zz", 0},
  };
  int index = 0;
  for (const ColorCase& c : cases) {
    const std::wstring name = L"value_case_" + std::to_wstring(index++);
    UiRegistry::AddTextColor(name, c.value);
    EXPECT_EQ(UiRegistry::GetTextColor(name), c.expected) << testing::PrintToString(c.value);
  }
}

TEST(TextColorTest, UndefinedColourReadsZeroUntilDefined) {
  EXPECT_EQ(UiRegistry::GetTextColor(L"late_colour"), 0u);
  UiRegistry::AddTextColor(L"late_colour", L"#FF336699");
  EXPECT_EQ(UiRegistry::GetTextColor(L"late_colour"), 0xFF336699u);
  UiRegistry::AddTextColor(L"late_colour", L"#00112233");
  EXPECT_EQ(UiRegistry::GetTextColor(L"late_colour"), 0x00112233u);
}

TEST(TextColorTest, DefaultColourNamesStartAsDocumented) {
  EXPECT_EQ(UiRegistry::GetDefaultTextColorName(), L"textdefaultcolor");
  EXPECT_EQ(UiRegistry::GetDefaultDisabledTextColorName(), L"textdefaultdisablecolor");
}

TEST(ClassTest, StoresOverwritesAndAnswersEmptyForUnknown) {
  EXPECT_EQ(UiRegistry::GetClassAttributes(L"caption_btn"), L"");
  UiRegistry::AddClass(L"caption_btn", L"width=\"30\" height=\"30\"");
  EXPECT_EQ(UiRegistry::GetClassAttributes(L"caption_btn"), L"width=\"30\" height=\"30\"");
  UiRegistry::AddClass(L"caption_btn", L"width=\"40\"");
  EXPECT_EQ(UiRegistry::GetClassAttributes(L"caption_btn"), L"width=\"40\"");
}

TEST(DocumentCacheTest, KeepsOneBuilderPerFileAsWritten) {
  // The builder type is opaque here; the cache only owns and hands back what it is given.
  struct Witness {
    explicit Witness(int* destroyed) : destroyed(destroyed) {}
    ~Witness() { ++*destroyed; }
    int* destroyed;
  };
  int destroyed = 0;
  auto own = [&destroyed](Witness** raw) {
    auto witness = std::make_shared<Witness>(&destroyed);
    *raw = witness.get();
    return std::shared_ptr<WindowBuilder>(witness, reinterpret_cast<WindowBuilder*>(*raw));
  };
  Witness* first = nullptr;
  Witness* second = nullptr;
  EXPECT_EQ(UiRegistry::FindCachedDocument(L"item.xml"), nullptr);
  UiRegistry::CacheDocument(L"item.xml", own(&first));
  EXPECT_EQ(UiRegistry::FindCachedDocument(L"item.xml"), reinterpret_cast<WindowBuilder*>(first));
  EXPECT_EQ(UiRegistry::FindCachedDocument(L"./item.xml"), nullptr);
  UiRegistry::CacheDocument(L"item.xml", own(&second));
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(UiRegistry::FindCachedDocument(L"item.xml"), reinterpret_cast<WindowBuilder*>(second));
}

class StartupTest : public ::testing::Test {
 protected:
  ~StartupTest() override {
    UiRegistry::Shutdown();
    UiRegistry::SetDefaultTextColorName(L"textdefaultcolor");
    UiRegistry::SetDefaultDisabledTextColorName(L"textdefaultdisablecolor");
  }
  TempFolder folder_;
};

TEST_F(StartupTest, StartsOnThemeAndLanguageThenShutsDown) {
  folder_.Write(L"lang\\zh_CN\\gdstrings.ini", "STRID_OK = OK\n");
  // The style file is built from the theme folder: its fonts, colours and classes are
  // registered and its root's attributes name the default colours.
  folder_.Write(L"themes\\default\\global.xml",
                "<Global defaultfontcolor=\"style_text\" disabledfontcolor=\"style_grey\">"
                "<Font id=\"from_style\" name=\"Arial\" default=\"true\"/>"
                "<TextColor name=\"style_text\" value=\"#FF102030\"/>"
                "<Class name=\"style_class\" width=\"7\"/></Global>");
  int madeControls = 0;
  Control* const madeControl = reinterpret_cast<Control*>(&madeControls);

  UiRegistry::Startup(
      folder_.path(), [&](const std::wstring&) { return madeControl; }, L"themes\\default",
      L"lang\\zh_CN");

  const std::wstring theme = folder_.path() + L"themes\\default\\";
  EXPECT_EQ(UiRegistry::GetResourcePath(), theme);
  EXPECT_EQ(UiRegistry::GetTextColor(L"style_text"), 0xFF102030u);
  EXPECT_EQ(UiRegistry::GetDefaultTextColorName(), L"style_text");
  EXPECT_EQ(UiRegistry::GetDefaultDisabledTextColorName(), L"style_grey");
  EXPECT_EQ(UiRegistry::GetClassAttributes(L"style_class"), L"width=\"7\"");
  ASSERT_NE(UiRegistry::GetFont(L"from_style"), nullptr);
  EXPECT_EQ(UiRegistry::GetFont(L"from_style")->size, 12);
  EXPECT_EQ(UiRegistry::GetLanguageStrings().GetString(L"STRID_OK"), L"OK");
  ASSERT_TRUE(UiRegistry::GetCreateControlCallback());
  EXPECT_EQ(UiRegistry::GetCreateControlCallback()(L"Custom"), madeControl);
  // The common controls are ready for tooltips.
  HWND tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr,
                                 nullptr, nullptr);
  EXPECT_NE(tooltip, nullptr);
  if (tooltip) DestroyWindow(tooltip);

  ASSERT_NE(UiRegistry::GetFont(L"from_style"), nullptr);
  HFONT font = UiRegistry::GetFont(L"")->handle;
  EXPECT_EQ(font, UiRegistry::GetFont(L"from_style")->handle);
  UiRegistry::Shutdown();
  EXPECT_EQ(UiRegistry::GetFont(L"from_style"), nullptr);
  EXPECT_EQ(0u, GetObjectType(reinterpret_cast<HGDIOBJ>(font)));
}

TEST_F(StartupTest, RenderFactoryAndLookupsLiveFromStartupToShutdown) {
  EXPECT_EQ(UiRegistry::GetRenderFactory(), nullptr);
  UiRegistry::Startup(folder_.path(), nullptr, L"themes\\default", L"lang\\zh_CN");
  ASSERT_NE(UiRegistry::GetRenderFactory(), nullptr);
  std::unique_ptr<IRenderContext> context = UiRegistry::CreateRenderContext();
  ASSERT_NE(context, nullptr);
  EXPECT_TRUE(context->Resize(8, 4));
  EXPECT_EQ(context->GetWidth(), 8);

  HFONT font = UiRegistry::AddFont(L"lookup_font", L"Arial", 17, false, false, false, true);
  UiRegistry::AddTextColor(L"lookup_colour", L"#FF445566");
  RenderFont found;
  ASSERT_TRUE(RenderLookup::FindFont(L"", &found));
  EXPECT_EQ(found.handle, font);
  EXPECT_EQ(found.faceName, L"Arial");
  EXPECT_EQ(found.size, 17);
  EXPECT_FALSE(RenderLookup::FindFont(L"no_such_font", &found));
  EXPECT_EQ(RenderLookup::FindColor(L"lookup_colour"), 0xFF445566u);
  DpiScaler& scaler = UiRegistry::GetDpiScaler();
  scaler.SetEnabled(true);
  scaler.SetPercent(200);
  EXPECT_EQ(RenderLookup::ScaleRect(UiRect{1, 1, 2, 3}), (UiRect{2, 2, 4, 6}));
  scaler.SetEnabled(false);
  scaler.SetPercent(100);

  UiRegistry::Shutdown();
  EXPECT_EQ(UiRegistry::GetRenderFactory(), nullptr);
  EXPECT_EQ(UiRegistry::CreateRenderContext(), nullptr);
  EXPECT_FALSE(RenderLookup::FindFont(L"", &found));
  EXPECT_EQ(RenderLookup::FindColor(L"lookup_colour"), 0u);
}

TEST_F(StartupTest, MissingFilesLeaveTheTablesEmpty) {
  UiRegistry::Startup(folder_.path(), nullptr, L"themes\\default", L"lang\\none");
  EXPECT_TRUE(UiRegistry::GetLanguageStrings().empty());
  EXPECT_FALSE(UiRegistry::GetCreateControlCallback());
  EXPECT_EQ(UiRegistry::GetResourcePath(), folder_.path() + L"themes\\default\\");
}

TEST_F(StartupTest, StartsAgainAfterShutdown) {
  folder_.Write(L"lang\\en\\gdstrings.ini", "again=yes\n");
  UiRegistry::Startup(folder_.path(), nullptr, L"themes\\default", L"lang\\en");
  UiRegistry::Shutdown();
  UiRegistry::Startup(folder_.path(), nullptr, L"themes\\dark", L"lang\\en");
  EXPECT_EQ(UiRegistry::GetResourcePath(), folder_.path() + L"themes\\dark\\");
  EXPECT_EQ(UiRegistry::GetLanguageStrings().GetString(L"again"), L"yes");
}

}  // namespace
}  // namespace ui
