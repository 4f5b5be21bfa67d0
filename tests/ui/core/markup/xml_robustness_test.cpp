#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/string_util.h"
#include "ui/core/markup/xml_document.h"
#include "xml_mutator.h"
#include "xml_test_util.h"
#include "xml_tree_check.h"

namespace {

constexpr uint64_t kSeed = 0x5EEDF00Dull;
constexpr int kVariants = 120000;

std::vector<std::wstring> LayoutSamples() {
  std::vector<std::wstring> samples;
  const std::wstring folder = ui_test::TestDataFolder() + L"ui\\core\\layouts\\";
  for (const wchar_t* name : {L"global.xml", L"basic.xml", L"cef.xml", L"game.xml", L"toast.xml",
                              L"shadow.xml", L"list.xml"}) {
    samples.push_back(kbase::Utf8ToWide(ui_test::ReadBytes(folder + name)));
  }
  return samples;
}

// Every variant either loads into a well-formed tree or fails with one of the parser's
// messages; one document is reused, so every load also discards the previous one.
TEST(XmlRobustnessTest, MutatedLayoutsLoadWellFormedOrFailCleanly) {
  const std::vector<std::wstring> samples = LayoutSamples();
  for (const std::wstring& sample : samples) ASSERT_FALSE(sample.empty());
  ui_test::XmlMutator mutator(kSeed);
  ui::XmlDocument document;
  int loaded = 0;
  int failed = 0;
  for (int i = 0; i < kVariants; ++i) {
    std::string description;
    const std::wstring text = mutator.Mutate(samples[i % samples.size()], &description);
    document.SetPreserveWhitespace(i % 8 != 5);
    bool ok;
    if (i % 4 == 3) {
      const std::string bytes = mutator.MutateBytes(text, &description);
      ok = document.LoadFromBytes(bytes.data(), bytes.size());
    } else {
      ok = document.LoadFromText(text.c_str());
    }
    const std::string problem =
        ok ? ui_test::CheckLoadedTree(document) : ui_test::CheckFailedLoad(document);
    ASSERT_EQ(problem, "") << "variant " << i << ": " << description;
    ++(ok ? loaded : failed);
  }
  // Both outcomes must be well represented for the check to mean something.
  EXPECT_GT(loaded, kVariants / 20);
  EXPECT_GT(failed, kVariants / 20);
}

}  // namespace
