// The application manifest as each shipped program carries it: read back from the built
// executables' resources, and put to work in a program that carries it too.

#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "common/common_controls.h"
#include "ui/core/markup/xml_document.h"
#include "ui/core/markup/xml_node.h"

namespace {

const wchar_t* const kPrograms[] = {TARNWICK_EXE, TARNWICK_TOOLS_DIR L"/skintool.exe",
                                    TARNWICK_TOOLS_DIR L"/screenshot.exe"};

// The manifest resource of a program, as its bytes; empty when it has none.
std::string ManifestOf(const std::wstring& program) {
  const HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return std::string();
  std::string bytes;
  const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
  const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data) bytes.assign(static_cast<const char*>(data), SizeofResource(module, found));
  FreeLibrary(module);
  return bytes;
}

void Collect(ui::XmlNode node, std::vector<ui::XmlNode>* elements) {
  for (; node.IsValid(); node = node.NextSibling()) {
    elements->push_back(node);
    Collect(node.FirstChild(), elements);
  }
}

std::wstring Attribute(const ui::XmlNode& node, const wchar_t* name) {
  wchar_t value[ui::XmlNode::kValueBufferSize] = {};
  return node.FindAttribute(name, value, ui::XmlNode::kValueBufferSize) ? value : L"";
}

class ApplicationManifestTest : public ::testing::TestWithParam<const wchar_t*> {
 protected:
  void SetUp() override {
    bytes_ = ManifestOf(GetParam());
    ASSERT_FALSE(bytes_.empty()) << "no manifest resource in the program";
    ASSERT_TRUE(document_.LoadFromBytes(bytes_.data(), bytes_.size()))
        << "the manifest is not well-formed XML";
    Collect(document_.GetRoot(), &elements_);
  }

  std::vector<ui::XmlNode> Named(const std::wstring& name) const {
    std::vector<ui::XmlNode> found;
    for (const ui::XmlNode& node : elements_) {
      if (name == node.Name()) found.push_back(node);
    }
    return found;
  }

  std::string bytes_;
  ui::XmlDocument document_;
  std::vector<ui::XmlNode> elements_;
};

TEST_P(ApplicationManifestTest, RunsAsTheInvokingUser) {
  const auto levels = Named(L"requestedExecutionLevel");
  ASSERT_EQ(levels.size(), 1u);
  EXPECT_EQ(Attribute(levels[0], L"level"), L"asInvoker");
  EXPECT_EQ(Attribute(levels[0], L"uiAccess"), L"false");
}

TEST_P(ApplicationManifestTest, NamesEveryWindowsFromVistaOn) {
  std::set<std::wstring> ids;
  for (const ui::XmlNode& os : Named(L"supportedOS")) ids.insert(Attribute(os, L"Id"));
  const std::set<std::wstring> expected = {
      L"{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
      L"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
      L"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
      L"{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
      L"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
  };
  EXPECT_EQ(ids, expected);
}

TEST_P(ApplicationManifestTest, AsksForVersionSixOfTheCommonControls) {
  const auto identities = Named(L"assemblyIdentity");
  ASSERT_EQ(identities.size(), 1u);
  const ui::XmlNode& identity = identities[0];
  EXPECT_STREQ(identity.Parent().Name(), L"dependentAssembly");
  EXPECT_EQ(Attribute(identity, L"type"), L"win32");
  EXPECT_EQ(Attribute(identity, L"name"), L"Microsoft.Windows.Common-Controls");
  EXPECT_EQ(Attribute(identity, L"version"), L"6.0.0.0");
  EXPECT_EQ(Attribute(identity, L"processorArchitecture"), L"*");
  EXPECT_EQ(Attribute(identity, L"publicKeyToken"), L"6595b64144ccf1df");
}

TEST_P(ApplicationManifestTest, LeavesTheCodePageAlone) {
  EXPECT_TRUE(Named(L"activeCodePage").empty());
}

INSTANTIATE_TEST_SUITE_P(ShippedPrograms, ApplicationManifestTest, ::testing::ValuesIn(kPrograms));

// The exit code of the probe, a program with the same manifest; -1 when it did not run.
int ProbeResult() {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  std::wstring commandLine = std::wstring(L"\"") + TARNWICK_MANIFEST_PROBE + L"\"";
  if (!CreateProcessW(TARNWICK_MANIFEST_PROBE, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return -1;
  }
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

TEST(ApplicationManifestLoadTest, AProcessWithTheManifestGetsCommonControlsSixAndIsDpiAware) {
  const std::string probe = ManifestOf(TARNWICK_MANIFEST_PROBE);
  ASSERT_FALSE(probe.empty());
  EXPECT_EQ(probe, ManifestOf(TARNWICK_EXE)) << "the probe must carry the client's manifest";
  const int result = ProbeResult();
  ASSERT_GE(result, 0) << "the probe did not run";
  EXPECT_TRUE(result & 1) << "the process is not DPI aware";
  EXPECT_TRUE(result & 2) << "the common controls are not those of the version 6 assembly";
  // Wine's copy in that assembly reports 5.81 and switches to version 6 by where it was
  // loaded from; Windows' reports 6.
  EXPECT_GE(result >> 4, 5) << "the common controls did not load";
}

// This test program has no manifest: the difference above is the manifest's.
TEST(ApplicationManifestLoadTest, AProcessWithoutItGetsTheSystemsOlderCommonControls) {
  const common_controls::Loaded loaded = common_controls::Load();
  EXPECT_GE(loaded.majorVersion, 5u);
  EXPECT_FALSE(loaded.fromVersionSixAssembly);
}

}  // namespace
