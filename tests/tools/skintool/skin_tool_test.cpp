#include "skin_tool.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/path_util.h"
#include "runtime/string_util.h"

#include "common/temp_folder.h"

namespace {

// Layout files written for one test into a fresh folder, removed afterwards.
class SkinToolTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(temp_.Created()); }

  std::wstring Write(const std::wstring& name, const std::string& bytes) {
    const std::wstring path = temp_.Write(name, bytes);
    EXPECT_FALSE(path.empty()) << "could not write " << kbase::WideToUtf8(name);
    return path;
  }

  int Run(const std::vector<std::wstring>& arguments) {
    out_.clear();
    err_.clear();
    SkinTool tool([this](const std::wstring& line) { out_.push_back(line); },
                  [this](const std::wstring& line) { err_.push_back(line); });
    return tool.Run(arguments);
  }

  test_files::TempFolder temp_{L"tarnwick_skintool_"};
  const std::wstring& folder_ = temp_.Path();
  std::vector<std::wstring> out_;
  std::vector<std::wstring> err_;
};

TEST_F(SkinToolTest, CheckReportsEachFile) {
  const std::wstring good = Write(L"good.xml", "<Window><VBox><Label/></VBox></Window>");
  const std::wstring one = Write(L"one.xml", "\xEF\xBB\xBF<Global/>");
  const std::wstring commented = Write(L"commented.xml", "<!-- the window -->\n<Window/>\n");
  EXPECT_EQ(Run({L"check", good, one, commented}), 0);
  EXPECT_EQ(out_, (std::vector<std::wstring>{good + L": OK, 3 elements", one + L": OK, 1 element",
                                             commented + L": OK, 1 element"}));
  EXPECT_TRUE(err_.empty());
}

TEST_F(SkinToolTest, AFileWithoutElementsHasNoRootElement) {
  const std::string contents[] = {"<!-- nothing yet -->", " \r\n\t ", std::string("\0\0\0", 3),
                                  "\xEF\xBB\xBF<!-- a -->\n<!--b-->"};
  for (const std::string& text : contents) {
    SCOPED_TRACE(testing::PrintToString(text));
    const std::wstring good = Write(L"good.xml", "<Window/>");
    const std::wstring file = Write(L"blank.xml", text);
    EXPECT_EQ(Run({L"check", file, good}), 1);
    EXPECT_EQ(out_, (std::vector<std::wstring>{file + L": FAIL, no root element",
                                               good + L": OK, 1 element"}));
    EXPECT_EQ(Run({L"dump", file}), 1);
    EXPECT_EQ(out_, std::vector<std::wstring>{file + L": FAIL, no root element"});
  }
}

TEST_F(SkinToolTest, CheckFailsWhenAnyFileFails) {
  const std::wstring good = Write(L"good.xml", "<Window/>");
  const std::wstring bad = Write(L"bad.xml", "<Window>\n  <VBox>\n  </HBox>\n</Window>");
  const std::wstring empty = Write(L"empty.xml", "");
  const std::wstring missing = folder_ + L"missing.xml";
  EXPECT_EQ(Run({L"check", good, bad, empty, missing}), 1);
  EXPECT_EQ(out_, (std::vector<std::wstring>{
                      good + L": OK, 1 element",
                      bad + L": FAIL, Unmatched closing tag, at \"HBox>\\n</Window>\"",
                      empty + L": FAIL, File is empty", missing + L": FAIL, Error opening file"}));
}

TEST_F(SkinToolTest, DumpShowsWhatTheNodesReturn) {
  const std::wstring file =
      Write(L"dump.xml",
            "<?xml version=\"1.0\"?>\n"
            "<Window size=\"10,20\"><VBox name=\"box\"><Label Text=\"a &quot;b&quot;\"/>"
            "<Label text=\"c:\\d\">hello\tthere</Label></VBox><Control/></Window>");
  EXPECT_EQ(Run({L"dump", file}), 0);
  EXPECT_EQ(out_,
            (std::vector<std::wstring>{
                L"Window size=\"10,20\"", L"  VBox name=\"box\"", L"    Label Text=\"a \\\"b\\\"\"",
                L"    Label text=\"c:\\\\d\" \"hello\\tthere\"", L"  Control"}));
}

TEST_F(SkinToolTest, DumpShowsOnlyTheVisibleAttributes) {
  std::string text = "<a";
  for (int i = 0; i < 65; ++i) text += " n" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  const std::wstring file = Write(L"many.xml", text + "/>");
  EXPECT_EQ(Run({L"dump", file}), 0);
  ASSERT_EQ(out_.size(), 1u);
  EXPECT_NE(out_[0].find(L" n63=\"63\""), std::wstring::npos);
  EXPECT_EQ(out_[0].find(L"n64"), std::wstring::npos);
}

TEST_F(SkinToolTest, DumpOfABrokenFileReportsTheFailure) {
  const std::wstring file = Write(L"broken.xml", "<a x='1'/>");
  EXPECT_EQ(Run({L"dump", file}), 1);
  EXPECT_EQ(out_,
            std::vector<std::wstring>{file + L": FAIL, Expected attribute value, at \"1'/>\""});
}

TEST_F(SkinToolTest, UsageErrors) {
  const std::vector<std::vector<std::wstring>> cases = {
      {}, {L"check"}, {L"dump"}, {L"dump", L"a.xml", L"b.xml"}, {L"lint", L"a.xml"}};
  for (const auto& arguments : cases) {
    EXPECT_EQ(Run(arguments), 2);
    EXPECT_TRUE(out_.empty());
    ASSERT_FALSE(err_.empty());
    EXPECT_EQ(err_[0].rfind(L"usage: skintool", 0), 0u);
  }
  EXPECT_EQ(Run({L"--help"}), 0);
  EXPECT_FALSE(out_.empty());
}

TEST(SkinToolEscapeTest, KeepsEveryValueOnItsLine) {
  EXPECT_EQ(SkinTool::Escape(L"a\"b\\c\r\n\t\x01\x1F \u4E2D"),
            L"a\\\"b\\\\c\\r\\n\\t\\x01\\x1F \u4E2D");
}

// ---------------------------------------------------------------------------------------
// The program itself: its exit status and what it prints to a pipe.

struct ProgramResult {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;
};

ProgramResult RunProgram(const std::wstring& arguments) {
  ProgramResult result;
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  const std::wstring program = kbase::ModuleFolder() + L"..\\tools\\skintool.exe";
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  PROCESS_INFORMATION process = {};
  const bool started = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &process);
  CloseHandle(writeEnd);
  if (started) {
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
      result.output.append(buffer, read);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(readEnd);
  return result;
}

TEST_F(SkinToolTest, ProgramPrintsUtf8LinesAndExitStatus) {
  const std::wstring good =
      Write(L"\u76AE\u80A4.xml", "<Window text=\"\xE6\x8F\x90\xE7\xA4\xBA\"/>");
  const std::wstring bad = Write(L"bad.xml", "junk");
  ProgramResult result = RunProgram(L"check \"" + good + L"\"");
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_EQ(result.output, kbase::WideToUtf8(good + L": OK, 1 element\n"));

  result = RunProgram(L"check \"" + good + L"\" \"" + bad + L"\"");
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_EQ(result.output, kbase::WideToUtf8(good + L": OK, 1 element\n" + bad +
                                             L": FAIL, Expected start tag, at \"junk\"\n"));

  const std::wstring blank = Write(L"blank.xml", "<!-- later -->");
  result = RunProgram(L"check \"" + blank + L"\"");
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_EQ(result.output, kbase::WideToUtf8(blank + L": FAIL, no root element\n"));

  result = RunProgram(L"dump \"" + good + L"\"");
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_EQ(result.output, "Window text=\"\xE6\x8F\x90\xE7\xA4\xBA\"\n");

  result = RunProgram(L"");
  EXPECT_EQ(result.exitCode, 2u);
  EXPECT_EQ(result.output.rfind("usage: skintool", 0), 0u);
}

}  // namespace

// A layout saved in another encoding than UTF-8 fails with the encoding named, where it
// once read as an empty document (big-endian) or a broken name (little-endian).
TEST_F(SkinToolTest, CheckNamesAnUnsupportedEncoding) {
  const std::string big("\0<\0W\0i\0n\0d\0o\0w\0/\0>", 20);
  const std::string little("<\0W\0i\0n\0d\0o\0w\0/\0>\0", 20);
  const std::wstring bigFile = Write(L"big.xml", big);
  const std::wstring littleFile = Write(L"little.xml", "\xFF\xFE" + little);
  EXPECT_EQ(Run({L"check", bigFile, littleFile}), 1);
  EXPECT_EQ(out_, (std::vector<std::wstring>{
                      bigFile + L": FAIL, Unsupported encoding: UTF-16 big-endian (layout files "
                                L"are UTF-8)",
                      littleFile + L": FAIL, Unsupported encoding: UTF-16 little-endian (layout "
                                   L"files are UTF-8)"}));
}
