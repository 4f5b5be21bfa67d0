#include <windows.h>

// Left out of the lean windows.h, but GDI+ needs it.
#include <objidl.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/path_util.h"
#include "skin_tool.h"

namespace {

// A resource folder laid out as the client's, under a fresh temporary folder:
// resources\themes\default\{global.xml, skin\, public\bk\}.
class SkinFolder {
 public:
  SkinFolder() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    static int serial = 0;
    base_ = std::wstring(temp) + L"tarnwick_skin_" + std::to_wstring(::GetCurrentProcessId()) +
            L"_" + std::to_wstring(++serial) + L"\\";
    for (const wchar_t* folder :
         {L"", L"resources", L"resources\\themes", L"resources\\themes\\default",
          L"resources\\themes\\default\\skin", L"resources\\themes\\default\\public",
          L"resources\\themes\\default\\public\\bk"}) {
      MakeFolder(base_ + folder);
    }
  }
  ~SkinFolder() {
    for (auto it = files_.rbegin(); it != files_.rend(); ++it) ::DeleteFileW(it->c_str());
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) ::RemoveDirectoryW(it->c_str());
  }
  SkinFolder(const SkinFolder&) = delete;
  SkinFolder& operator=(const SkinFolder&) = delete;

  std::wstring Theme() const { return base_ + L"resources\\themes\\default\\"; }
  std::wstring Output(const std::wstring& name) {
    files_.push_back(base_ + name);
    return base_ + name;
  }
  // Writes a file below the theme folder.
  std::wstring Write(const std::wstring& relative, const std::string& bytes) {
    const std::wstring path = Theme() + relative;
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) return std::wstring();
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    files_.push_back(path);
    return path;
  }
  // The client's own shadow picture, in its place.
  bool CopyShippedShadow() {
    const std::wstring shipped =
        kbase::ModuleFolder() + L"..\\bin\\resources\\themes\\default\\public\\bk\\bk_shadow.png";
    const std::wstring copy = Theme() + L"public\\bk\\bk_shadow.png";
    if (!::CopyFileW(shipped.c_str(), copy.c_str(), FALSE)) return false;
    files_.push_back(copy);
    return true;
  }

 private:
  void MakeFolder(const std::wstring& folder) {
    if (::CreateDirectoryW(folder.c_str(), nullptr)) folders_.push_back(folder);
  }

  std::wstring base_;
  std::vector<std::wstring> files_;
  std::vector<std::wstring> folders_;
};

class RenderTest : public ::testing::Test {
 protected:
  RenderTest() {
    skin_.Write(L"global.xml",
                "<Global><TextColor name=\"red\" value=\"#FFFF0000\"/>"
                "<TextColor name=\"blue\" value=\"#FF0000FF\"/></Global>");
  }

  int Run(const std::vector<std::wstring>& arguments) {
    out_.clear();
    SkinTool tool([this](const std::wstring& line) { out_.push_back(line); },
                  [this](const std::wstring& line) { out_.push_back(line); });
    return tool.Run(arguments);
  }

  // Reads the written picture; false when it does not load.
  bool Load(const std::wstring& path) {
    picture_.reset(Gdiplus::Bitmap::FromFile(path.c_str()));
    return picture_ && picture_->GetLastStatus() == Gdiplus::Ok;
  }
  // Renders with the options and loads the picture, which must have the size given.
  void Render(const std::wstring& layout, const std::wstring& png, unsigned width, unsigned height,
              const std::vector<std::wstring>& options = {}) {
    std::vector<std::wstring> arguments{L"render", layout, png};
    arguments.insert(arguments.end(), options.begin(), options.end());
    ASSERT_EQ(Run(arguments), 0) << testing::PrintToString(out_);
    ASSERT_TRUE(Load(png));
    EXPECT_EQ(picture_->GetWidth(), width);
    EXPECT_EQ(picture_->GetHeight(), height);
  }
  // "alpha,red,green,blue" of a pixel, in straight alpha.
  std::string At(int x, int y) {
    Gdiplus::Color color;
    picture_->GetPixel(x, y, &color);
    return std::to_string(color.GetA()) + "," + std::to_string(color.GetR()) + "," +
           std::to_string(color.GetG()) + "," + std::to_string(color.GetB());
  }
  int AlphaAt(int x, int y) {
    Gdiplus::Color color;
    picture_->GetPixel(x, y, &color);
    return color.GetA();
  }

  SkinFolder skin_;
  std::vector<std::wstring> out_;
  std::unique_ptr<Gdiplus::Bitmap> picture_;
};

TEST_F(RenderTest, DrawsTheLayoutAtItsOwnSizeOrTheGivenOne) {
  const std::wstring layout =
      skin_.Write(L"skin\\plain.xml",
                  "<Window size=\"100,60\" shadowattached=\"false\"><VBox bkcolor=\"red\">"
                  "<Control height=\"20\" bkcolor=\"blue\"/></VBox></Window>");
  const std::wstring png = skin_.Output(L"plain.png");
  Render(layout, png, 100, 60);
  EXPECT_EQ(At(50, 10), "255,0,0,255");
  EXPECT_EQ(At(50, 40), "255,255,0,0");
  picture_.reset();
  Render(layout, png, 80, 30, {L"--size", L"80x30"});
  EXPECT_EQ(At(40, 25), "255,255,0,0");
}

TEST_F(RenderTest, ALayoutWithoutSizeGetsTheDefault) {
  const std::wstring layout = skin_.Write(
      L"skin\\unsized.xml", "<Window shadowattached=\"false\"><VBox bkcolor=\"blue\"/></Window>");
  const std::wstring png = skin_.Output(L"unsized.png");
  Render(layout, png, 400, 300);
  EXPECT_EQ(At(399, 299), "255,0,0,255");
}

TEST_F(RenderTest, TheShadowBandKeepsItsAlpha) {
  ASSERT_TRUE(skin_.CopyShippedShadow());
  const std::wstring layout = skin_.Write(
      L"skin\\shadowed.xml", "<Window size=\"100,60\"><VBox bkcolor=\"red\"/></Window>");
  const std::wstring png = skin_.Output(L"shadowed.png");
  Render(layout, png, 128, 88);
  EXPECT_EQ(At(64, 44), "255,255,0,0");
  EXPECT_EQ(AlphaAt(0, 44), 0);
  // The band is black, darkest next to the content.
  EXPECT_GT(AlphaAt(12, 44), 40);
  EXPECT_LT(AlphaAt(12, 44), 255);
  EXPECT_EQ(At(12, 44), std::to_string(AlphaAt(12, 44)) + ",0,0,0");
  EXPECT_GT(AlphaAt(12, 44), AlphaAt(5, 44));
}

TEST_F(RenderTest, LayoutsThatDoNotBuildFail) {
  struct Case {
    const char* text;
    const wchar_t* line;
  };
  const Case cases[] = {
      {"<Window><VBox></Window>", L": FAIL, Unmatched closing tag"},
      {"<Window size=\"10,10\"><Mystery/></Window>", L": FAIL, the layout builds no control"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::wstring layout = skin_.Write(L"skin\\bad.xml", c.text);
    const std::wstring png = skin_.Output(L"bad.png");
    EXPECT_EQ(Run({L"render", layout, png}), 1);
    ASSERT_EQ(out_.size(), 1u);
    EXPECT_EQ(out_[0].rfind(layout + c.line, 0), 0u) << testing::PrintToString(out_);
    EXPECT_EQ(::GetFileAttributesW(png.c_str()), INVALID_FILE_ATTRIBUTES);
  }
  EXPECT_EQ(Run({L"render", L"only_one.xml"}), 2);
  EXPECT_EQ(Run({L"render", L"a.xml", L"b.png", L"--size", L"80"}), 2);
  EXPECT_EQ(Run({L"render", L"a.xml", L"b.png", L"--size"}), 2);
}

TEST_F(RenderTest, CheckReportsWhatTheBuilderWouldMiss) {
  skin_.Write(L"skin\\here.png", "not read");
  skin_.Write(L"present.xml", "<Window><Control/></Window>");
  const std::wstring layout = skin_.Write(
      L"skin\\faults.xml",
      "<Window shadowimage=\"file='../public/bk/none.png'\"><Class name=\"c\" "
      "bkimage=\"gone.png\"/>"
      "<VBox><Mystery><Deeper/></Mystery><Control bkimage=\"missing.png\"/>"
      "<Control normalimage=\"file='here.png' corner='1,1,1,1'\"/>"
      "<Include source=\"present.xml\"/><Include source=\"nothere.xml\"/>"
      "<ChildBox xmlfile=\"gone.xml\"/><Mystery/><Event type=\"click\"/></VBox></Window>");
  EXPECT_EQ(Run({L"check", layout}), 1);
  const std::vector<std::wstring> expected{
      layout + L": FAIL, missing image \"../public/bk/none.png\"",
      layout + L": FAIL, missing image \"gone.png\"",
      layout + L": FAIL, unknown class \"Mystery\"",
      layout + L": FAIL, missing image \"missing.png\"",
      layout + L": FAIL, missing include file \"nothere.xml\"",
      layout + L": FAIL, missing child box file \"gone.xml\"",
  };
  EXPECT_EQ(out_, expected);

  // The same file checked against another resource folder misses its include too.
  const std::wstring fine = skin_.Write(L"skin\\fine.xml",
                                        "<Window><VBox><Include source=\"present.xml\"/>"
                                        "<Control bkimage=\"here.png\"/></VBox></Window>");
  EXPECT_EQ(Run({L"check", fine}), 0);
  EXPECT_EQ(out_, std::vector<std::wstring>{fine + L": OK, 4 elements"});
  EXPECT_EQ(Run({L"check", L"--resources", skin_.Theme() + L"skin", L"--theme", L"none", fine}), 1);
  EXPECT_EQ(out_, (std::vector<std::wstring>{fine + L": FAIL, missing include file \"present.xml\"",
                                             fine + L": FAIL, missing image \"here.png\""}));
}

}  // namespace
