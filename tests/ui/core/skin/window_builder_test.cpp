#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "runtime/string_util.h"
#include "ui/core/markup/xml_document.h"
#include "ui/core/skin/builder_test_util.h"
#include "ui/core/skin/child_box.h"
#include "ui/core/skin/window_builder.h"
#include "ui/core/temp_folder.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/h_box.h"
#include "ui/core/tree/v_box.h"
#include "ui/core/window/window_test_util.h"

namespace ui {
namespace {

using builder_test::CountedControl;
using builder_test::Describe;
using control_test::UiScope;
using window_test::TestNativeWindow;

// Builds layouts against a window object (no native window is needed to build) with the
// resource folder in a private folder.
class WindowBuilderTest : public ::testing::Test {
 protected:
  WindowBuilderTest() { UiRegistry::SetResourcePath(folder_.path()); }

  // Builds the source for the window; the fixture keeps the tree.
  Control* Build(const std::wstring& source, CreateControlCallback callback = nullptr) {
    WindowBuilder builder;
    Control* root = builder.Build(source.c_str(), std::move(callback), &window_);
    if (root) trees_.emplace_back(root);
    return root;
  }

  void WriteLayout(const std::wstring& file, const std::wstring& text) {
    folder_.Write(file, kbase::WideToUtf8(text));
  }
  // Layout files under names, each as "name", "text".
  void WriteLayouts(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> files) {
    for (const auto& file : files) WriteLayout(file.first, file.second);
  }

  UiScope ui_;
  TempFolder folder_;
  TestNativeWindow window_;
  std::vector<std::unique_ptr<Control>> trees_;
};

struct TreeCase {
  const wchar_t* layout;
  const char* tree;
};

TEST_F(WindowBuilderTest, LayoutTextsBuildTheirTrees) {
  const TreeCase cases[] = {
      // Definitions first, then the one root control; a later control element is ignored.
      {LR"(<Window size="10,10"><Font name="Arial"/><Class name="x" width="1"/><Image/>
           <VBox name="v"><Control name="c"/><HBox><Control/></HBox></VBox>
           <Control name="later"/></Window>)",
       "VBox#v[Control#c,HBox[Control]]"},
      // Every class the table holds so far.
      {LR"(<Window><Box><HBox/><VBox/><TileBox/><TabBox/><ChildBox/><Control/></Box></Window>)",
       "Box[HBox,VBox,TileBox,TabBox,ChildBox,Control]"},
      // Unknown classes go with their subtrees; the names are matched with case.
      {LR"(<Window><VBox><Mystery><Control name="lost"/></Mystery><vbox/>
           <Control name="kept"/></VBox></Window>)",
       "VBox[Control#kept]"},
      // Definitions below the root are skipped like "Image".
      {LR"(<Window><VBox><Font name="Arial"/><Class name="y"/><TextColor name="c" value="#FF000000"/>
           <Image/><Control/></VBox></Window>)",
       "VBox[Control]"},
      // A control whose parent is no box stops its level: the parent keeps no children and
      // its later siblings are not built, while the parent itself is.
      {LR"(<Window><VBox><Control name="a"><Control name="inner"/><HBox name="x"/></Control>
           <Control name="b"/></VBox></Window>)",
       "VBox[Control#a,Control#b]"},
      // A root element other than "Window" still picks its first control child.
      {LR"(<VBox><Control name="first"/><Control name="second"/></VBox>)", "Control#first"},
      // Nothing to build.
      {LR"(<Global><Font name="Arial"/></Global>)", "none"},
      {LR"(<Window><Event type="buttondown" receiver="x"/></Window>)", "none"},
      {LR"(<Window><Include source="nothing_here.xml"/></Window>)", "none"},
      {LR"(<Window size="1,1"></Window>)", "none"},
  };
  for (const TreeCase& c : cases) {
    SCOPED_TRACE(kbase::WideToUtf8(c.layout));
    EXPECT_EQ(Describe(Build(c.layout)), c.tree);
  }
}

TEST_F(WindowBuilderTest, BadSourcesBuildNothing) {
  WriteLayout(L"broken.xml", L"<Window><VBox></Window>");
  WriteLayout(L"empty.xml", L"   ");
  const wchar_t* sources[] = {
      L"<Window><VBox></Window>",
      L"<Window><VBox attr=></VBox></Window>",
      L"<",
      L"",
      L"broken.xml",
      L"empty.xml",
      L"missing.xml",
  };
  for (const wchar_t* source : sources) {
    SCOPED_TRACE(kbase::WideToUtf8(source));
    EXPECT_EQ(Build(source), nullptr);
  }
  // The builder holds no document after a failed load, so building it again gives nothing.
  WindowBuilder builder;
  EXPECT_EQ(builder.Build(L"missing.xml"), nullptr);
  EXPECT_EQ(builder.Build(nullptr), nullptr);
}

TEST_F(WindowBuilderTest, ControlsNothingCanHoldAreDestroyed) {
  auto counted = [](const std::wstring& name) -> Control* {
    return name == L"Counted" ? new CountedControl() : nullptr;
  };
  // Built under a control that is no box.
  EXPECT_EQ(Describe(Build(LR"(<Window><VBox><Control><Counted/><Counted/></Control>
                                <Counted/></VBox></Window>)",
                           counted)),
            "VBox[Control,Counted]");
  EXPECT_EQ(CountedControl::alive, 1);
  // An include with no parent has nowhere to put its tree.
  WriteLayout(L"counted.xml", L"<Window><Counted/></Window>");
  WindowBuilder builder;
  EXPECT_EQ(
      builder.Build(L"<Window><Include source=\"counted.xml\" count=\"2\"/></Window>", counted),
      nullptr);
  EXPECT_EQ(CountedControl::alive, 1);
  trees_.clear();
  EXPECT_EQ(CountedControl::alive, 0);
}

struct ClassCase {
  const wchar_t* element;
  const wchar_t* name;
  const wchar_t* list;
};

TEST_F(WindowBuilderTest, ClassElementsGiveAttributeListsInDocumentOrder) {
  const ClassCase cases[] = {
      {LR"(<Class name="size" width="10" height="20"/>)", L"size", LR"(width="10" height="20")"},
      {LR"(<Class width="10" name="late_name" height="20"/>)", L"late_name",
       LR"(width="10" height="20")"},
      {LR"(<Class name="valued" _value="5" width="1"/>)", L"valued", LR"(value="5" width="1")"},
      // "value" is taken as it is written, and leading blanks go.
      {LR"(<Class name="raw" value="   width=&quot;3&quot;" height="4"/>)", L"raw",
       LR"(width="3" height="4")"},
      {LR"(<Class name="bare"/>)", L"bare", L""},
  };
  for (const ClassCase& c : cases) {
    SCOPED_TRACE(kbase::WideToUtf8(c.element));
    UiRegistry::AddClass(c.name, L"stale=\"1\"");
    Build(std::wstring(L"<Global>") + c.element + L"</Global>");
    EXPECT_EQ(UiRegistry::GetClassAttributes(c.name), c.list);
  }
  // A class without a name is dropped.
  UiRegistry::AddClass(L"", L"kept=\"1\"");
  Build(L"<Global><Class width=\"1\"/></Global>");
  EXPECT_EQ(UiRegistry::GetClassAttributes(L""), L"kept=\"1\"");
}

struct ClassUseCase {
  const wchar_t* control;
  int width;
  int height;
};

TEST_F(WindowBuilderTest, ClassesAndOwnAttributesApplyInDocumentOrder) {
  UiRegistry::AddClass(L"shared", L"width=\"11\"");
  const ClassUseCase cases[] = {
      // The global class wins over the window's class of the same name.
      {LR"(<Control class="shared"/>)", 11, kLengthStretch},
      {LR"(<Control class="own"/>)", 33, 5},
      // A control's own attribute written after "class" beats the class's.
      {LR"(<Control class="own" width="44"/>)", 44, 5},
      {LR"(<Control width="44" class="own"/>)", 33, 5},
      {LR"(<Control class="shared own"/>)", 33, 5},
      {LR"(<Control class="unknown"/>)", kLengthStretch, kLengthStretch},
  };
  for (const ClassUseCase& c : cases) {
    SCOPED_TRACE(kbase::WideToUtf8(c.control));
    Control* root = Build(std::wstring(LR"(<Window><Class name="shared" width="22"/>)"
                                       LR"(<Class name="own" width="33" height="5"/><HBox>)") +
                          c.control + L"</HBox></Window>");
    ASSERT_NE(root, nullptr);
    const Control* control = static_cast<Box*>(root)->GetItemAt(0);
    EXPECT_EQ(control->GetFixedWidth(), c.width);
    EXPECT_EQ(control->GetFixedHeight(), c.height);
  }
  EXPECT_EQ(window_.GetClassAttributes(L"own"), LR"(width="33" height="5")");
}

TEST_F(WindowBuilderTest, GlobalRootRegistersFontsColoursAndDefaultColourNames) {
  Build(
      LR"(<Global defaultfontcolor="my_text" disabledfontcolor="my_grey" selectedcolor="x">
              <Font id="builder_font" name="Arial" size="15" bold="true"/>
              <Font id="no_face" size="15"/>
              <TextColor name="builder_colour" value="#80112233"/>
              <TextColor name="no_value" value=""/></Global>)");
  const FontRecord* font = UiRegistry::GetFont(L"builder_font");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->size, 15);
  EXPECT_TRUE(font->bold);
  EXPECT_EQ(UiRegistry::GetFont(L"no_face"), nullptr);
  EXPECT_EQ(UiRegistry::GetTextColor(L"builder_colour"), 0x80112233u);
  EXPECT_EQ(UiRegistry::GetTextColor(L"no_value"), 0u);
  EXPECT_EQ(UiRegistry::GetDefaultTextColorName(), L"my_text");
  EXPECT_EQ(UiRegistry::GetDefaultDisabledTextColorName(), L"my_grey");
  UiRegistry::SetDefaultTextColorName(L"textdefaultcolor");
  UiRegistry::SetDefaultDisabledTextColorName(L"textdefaultdisablecolor");
}

struct IncludeCase {
  const wchar_t* include;
  const char* tree;
};

TEST_F(WindowBuilderTest, IncludesBuildOtherFilesIntoTheParent) {
  // Among them a file including itself, and two files including each other.
  WriteLayouts({
      {L"item.xml", LR"(<Window><Control name="item"/></Window>)"},
      {L"parts\\pair.xml", LR"(<Window><HBox><Control/><Control/></HBox></Window>)"},
      {L"self.xml", LR"(<Window><VBox name="self"><Include source="self.xml"/></VBox></Window>)"},
      {L"ping.xml", LR"(<Window><VBox name="ping"><Include source="pong.xml"/></VBox></Window>)"},
      {L"pong.xml", LR"(<Window><VBox name="pong"><Include source="PING.xml"/></VBox></Window>)"},
  });
  const IncludeCase cases[] = {
      {LR"(<Include source="item.xml" count="3"/>)",
       "VBox[Control#first,Control#item,Control#item,Control#item,Control#last]"},
      {LR"(<Include source="item.xml"/>)", "VBox[Control#first,Control#item,Control#last]"},
      {LR"(<Include source="parts/pair.xml" count="2"/>)",
       "VBox[Control#first,HBox[Control,Control],HBox[Control,Control],Control#last]"},
      {LR"(<Include source="item.xml" count="0"/>)", "VBox[Control#first,Control#last]"},
      {LR"(<Include source="item.xml" count="-4"/>)", "VBox[Control#first,Control#last]"},
      {LR"(<Include source="missing.xml" count="3"/>)", "VBox[Control#first,Control#last]"},
      {LR"(<Include count="3"/>)", "VBox[Control#first,Control#last]"},
      {LR"(<Include source="self.xml"/>)", "VBox[Control#first,VBox#self,Control#last]"},
      {LR"(<Include source="ping.xml"/>)", "VBox[Control#first,VBox#ping[VBox#pong],Control#last]"},
  };
  for (const IncludeCase& c : cases) {
    SCOPED_TRACE(kbase::WideToUtf8(c.include));
    EXPECT_EQ(Describe(Build(std::wstring(L"<Window><VBox><Control name=\"first\"/>") + c.include +
                             L"<Control name=\"last\"/></VBox></Window>")),
              c.tree);
  }
  // A file built on its own that includes itself is built once.
  EXPECT_EQ(Describe(Build(L"self.xml")), "VBox#self");
}

TEST_F(WindowBuilderTest, IncludeCountIsClamped) {
  WriteLayout(L"item.xml", LR"(<Window><Control/></Window>)");
  Control* root =
      Build(LR"(<Window><VBox><Include source="item.xml" count="99999999"/></VBox></Window>)");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(static_cast<Box*>(root)->GetCount(), WindowBuilder::kMaxIncludeCount);
}

TEST_F(WindowBuilderTest, DeepNestingIsCutInsteadOfExhaustingTheStack) {
  std::wstring layout = L"<Window>";
  for (int i = 0; i < 5000; ++i) layout += L"<VBox>";
  for (int i = 0; i < 5000; ++i) layout += L"</VBox>";
  layout += L"</Window>";
  Control* root = Build(layout);
  ASSERT_NE(root, nullptr);
  int depth = 1;
  for (Box* box = static_cast<Box*>(root); box->GetCount() > 0;
       box = static_cast<Box*>(box->GetItemAt(0))) {
    ++depth;
  }
  EXPECT_GE(depth, 100);
  EXPECT_LE(depth, 200);
}

TEST_F(WindowBuilderTest, CallbacksMakeTheClassesTheTableDoesNotHold) {
  std::vector<std::wstring> asked;
  UiRegistry::Startup(
      folder_.path(),
      [&asked](const std::wstring& name) -> Control* {
        asked.push_back(L"global " + name);
        return name == L"Both" || name == L"Global" ? new HBox() : nullptr;
      },
      L"", L"");
  Control* root = Build(LR"(<Window><VBox><Both/><Own/><Global/><Control/><None/></VBox></Window>)",
                        [&asked](const std::wstring& name) -> Control* {
                          asked.push_back(L"own " + name);
                          return name == L"Both" || name == L"Own" ? new VBox() : nullptr;
                        });
  EXPECT_EQ(Describe(root), "VBox[HBox,VBox,HBox,Control]");
  const std::vector<std::wstring> expected{L"global Both",   L"global Own",  L"own Own",
                                           L"global Global", L"global None", L"own None"};
  EXPECT_EQ(asked, expected);
  UiRegistry::Startup(folder_.path(), nullptr, L"", L"");
}

TEST_F(WindowBuilderTest, AddedClassesBuildLikeTheCoreOnes) {
  EXPECT_FALSE(WindowBuilder::IsKnownClass(L"TestAddedClass"));
  WindowBuilder::AddControlClass(L"TestAddedClass", [] { return new CountedControl(); });
  EXPECT_TRUE(WindowBuilder::IsKnownClass(L"TestAddedClass"));
  EXPECT_EQ(Describe(Build(L"<Window><VBox><TestAddedClass/></VBox></Window>")), "VBox[Counted]");
  EXPECT_EQ(WindowBuilder::CreateControlByClass(L"testaddedclass"), nullptr);
}

TEST_F(WindowBuilderTest, AnExistingRootTakesTheRootElementsAttributesAndChildren) {
  auto* existing = new VBox();
  existing->SetName(L"existing");
  WindowBuilder builder;
  Control* root = builder.Build(
      LR"(<Window><HBox name="ignored_kind" width="40"><Control name="child"/></HBox></Window>)",
      nullptr, &window_, nullptr, existing);
  trees_.emplace_back(existing);
  EXPECT_EQ(root, existing);
  EXPECT_EQ(Describe(root), "VBox#ignored_kind[Control#child]");
  EXPECT_EQ(existing->GetFixedWidth(), 40);
}

// Events bound by the layout, seen on a window so that names are registered.
class LayoutEventTest : public WindowBuilderTest {
 protected:
  Control* Attach(const std::wstring& layout) {
    WindowBuilder builder;
    Control* root = builder.Build(layout.c_str(), nullptr, &window_);
    if (root) window_.AttachRoot(root);
    return root;
  }
  Control* Named(const wchar_t* name) { return window_.FindControlByName(name); }
};

TEST_F(LayoutEventTest, EventChangesItsReceiversWhenItFires) {
  ASSERT_TRUE(
      Attach(LR"(<Window><VBox>
        <HBox name="bar">
          <Event type="buttondown mouseenter" receiver="./ICON elsewhere ./missing"
                 applyattribute="width=&quot;17&quot; height=&quot;9&quot;"/>
          <Event type="click" receiver="./icon" applyattribute="width=&quot;99&quot;"/>
          <Control name="icon"/>
        </HBox>
        <Control name="elsewhere"/>
      </VBox></Window>)"));
  Control* bar = Named(L"bar");
  ASSERT_NE(bar, nullptr);
  // "click" is no layout event name: its handler waits under the type none.
  bar->SendEvent(kEventClick);
  EXPECT_EQ(Named(L"icon")->GetFixedWidth(), kLengthStretch);
  bar->SendEvent(kEventButtonDown);
  EXPECT_EQ(Named(L"icon")->GetFixedWidth(), 17);
  EXPECT_EQ(Named(L"icon")->GetFixedHeight(), 9);
  EXPECT_EQ(Named(L"elsewhere")->GetFixedWidth(), 17);
}

TEST_F(LayoutEventTest, EveryTypeAndReceiverGetsItsHandler) {
  ASSERT_TRUE(
      Attach(LR"(<Window><VBox name="box">
        <Event type="mouseenter" receiver="a" applyattribute="width=&quot;1&quot;"/>
        <Event type="mouseleave" receiver="b" applyattribute="width=&quot;2&quot;"/>
        <Control name="a"/><Control name="b"/></VBox></Window>)"));
  Named(L"box")->SendEvent(kEventMouseLeave);
  EXPECT_EQ(Named(L"a")->GetFixedWidth(), kLengthStretch);
  EXPECT_EQ(Named(L"b")->GetFixedWidth(), 2);
  Named(L"box")->SendEvent(kEventMouseEnter);
  EXPECT_EQ(Named(L"a")->GetFixedWidth(), 1);
}

TEST_F(LayoutEventTest, BubbledEventsBindOnBoxesOnly) {
  ASSERT_TRUE(
      Attach(LR"(<Window><VBox>
        <HBox name="box">
          <BubbledEvent type="keydown" receiver="./target" applyattribute="width=&quot;5&quot;"/>
          <Control name="source"/><Control name="target"/>
        </HBox>
        <Control name="plain">
          <BubbledEvent type="keydown" receiver="target" applyattribute="width=&quot;6&quot;"/>
        </Control>
      </VBox></Window>)"));
  Named(L"plain")->SendEvent(kEventKeyDown);
  EXPECT_EQ(Named(L"target")->GetFixedWidth(), kLengthStretch);
  // Key events bubble up from the control that has them.
  Named(L"source")->SendEvent(kEventKeyDown);
  EXPECT_EQ(Named(L"target")->GetFixedWidth(), 5);
}

// Builds a "Window" element with the attributes, and nothing else, for the window.
void BuildWindowElement(const std::wstring& attributes, Window* window) {
  WindowBuilder builder;
  builder.Build((L"<Window " + attributes + L"/>").c_str(), nullptr, window);
}

// The window's own attributes, measured without a native window.
struct WindowAttributeCase {
  const wchar_t* attributes;
  UiSize initSize;
  UiSize minSize;
  UiSize maxSize;
  UiRect shadowCorner;
};

TEST_F(WindowBuilderTest, WindowSizesAllowForTheShadowInForceWhateverTheOrder) {
  const UiRect band{14, 14, 14, 14};
  const WindowAttributeCase cases[] = {
      {LR"(size="400,300")", {428, 328}, {}, {}, band},
      {LR"(size="400,300" shadowattached="false")", {400, 300}, {}, {}, {}},
      {LR"(shadowattached="false" size="400,300")", {400, 300}, {}, {}, {}},
      {LR"(mininfo="100,50" maxinfo="900,0" shadowcorner="5,6,7,8")",
       {},
       {112, 64},
       {912, 0},
       {5, 6, 7, 8}},
      {LR"(shadowcorner="5,6,7,8" size="10,10" mininfo="1,2")",
       {22, 24},
       {13, 16},
       {},
       {5, 6, 7, 8}},
      {LR"(maxinfo="300,200" shadowattached="true")", {}, {}, {328, 228}, band},
  };
  for (const WindowAttributeCase& c : cases) {
    SCOPED_TRACE(kbase::WideToUtf8(c.attributes));
    TestNativeWindow window;
    BuildWindowElement(c.attributes, &window);
    EXPECT_EQ(window.GetInitSize(), c.initSize);
    EXPECT_EQ(window.GetMinSize(), c.minSize);
    EXPECT_EQ(window.GetMaxSize(), c.maxSize);
    const UiRect corner =
        window.GetShadow().IsAttached() ? window.GetShadow().GetCorner() : UiRect{};
    EXPECT_EQ(corner, c.shadowCorner);
  }
}

TEST_F(WindowBuilderTest, WindowAttributesReachTheWindow) {
  TestNativeWindow window;
  WindowBuilder builder;
  builder.Build(
      LR"(<Window sizebox="1,2,3,4" caption="0,0,0,32" roundcorner="5,6"
                      alphafixcorner="7,7,7,7" shadowimage="file='s.png' corner='9,9,9,9'"
                      textid="STRID_NONE"/>)",
      nullptr, &window);
  EXPECT_EQ(window.sizeBox, (UiRect{1, 2, 3, 4}));
  EXPECT_EQ(window.caption, (UiRect{0, 0, 0, 32}));
  EXPECT_EQ(window.roundCorner, (UiSize{5, 6}));
  EXPECT_EQ(window.alphaFixCorner, (UiRect{7, 7, 7, 7}));
  EXPECT_EQ(window.GetShadow().GetImage(), L"file='s.png' corner='9,9,9,9'");
  EXPECT_FALSE(window.GetShadow().IsDefaultImage());
  TestNativeWindow other;
  builder.Build(LR"(<Window custom_shadow="2,3,4,5"/>)", nullptr, &other);
  EXPECT_EQ(other.alphaFixCorner, (UiRect{2, 3, 4, 5}));
  EXPECT_TRUE(other.GetShadow().IsDefaultImage());
}

int PrimaryWorkAreaHeight() {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), &monitor);
  return monitor.rcWork.bottom - monitor.rcWork.top;
}

TEST_F(WindowBuilderTest, HeightPercentTakesAShareOfTheWorkArea) {
  const int work = PrimaryWorkAreaHeight();
  ASSERT_GT(work, 100);
  struct Expected {
    const wchar_t* attributes;
    UiSize size;
  };
  const Expected cases[] = {
      {LR"(size="300,200" heightpercent="0.5")", {328, static_cast<int>(work * 0.5) + 28}},
      // Without a width the window is as wide as its shadow band.
      {LR"(heightpercent="0.5")", {28, static_cast<int>(work * 0.5) + 28}},
      {LR"(heightpercent="0.333")", {28, static_cast<int>(work * 0.333) + 28}},
      // The min and max sizes hold the band already: the height with its band stays
      // within them.
      {LR"(maxinfo="0,50" heightpercent="0.9")", {28, 78}},
      {LR"(mininfo="0,5000" heightpercent="0.1")", {28, 5028}},
      {LR"(shadowattached="false" size="300,200" heightpercent="0.5")",
       {300, static_cast<int>(work * 0.5)}},
      {LR"(heightpercent="0.5" shadowcorner="1,2,3,4")", {4, static_cast<int>(work * 0.5) + 6}},
  };
  for (const Expected& c : cases) {
    SCOPED_TRACE(kbase::WideToUtf8(c.attributes));
    TestNativeWindow window;
    BuildWindowElement(c.attributes, &window);
    EXPECT_EQ(window.GetInitSize(), c.size);
    EXPECT_GT(window.heightPercent, 0.0);
  }
}

TEST_F(WindowBuilderTest, HeightPercentResizesANativeWindowWithoutRoot) {
  TestNativeWindow window;
  const HWND hwnd =
      window.CreateNativeWindow(nullptr, L"percent", WS_POPUP, 0, false, UiRect{0, 0, 50, 50});
  ASSERT_TRUE(hwnd);
  window.InitWindow(hwnd);
  WindowBuilder builder;
  builder.Build(LR"(<Window size="200,100" heightpercent="0.25" shadowattached="false"/>)", nullptr,
                &window);
  RECT placed{};
  ::GetWindowRect(hwnd, &placed);
  EXPECT_EQ(placed.right - placed.left, 200);
  EXPECT_EQ(placed.bottom - placed.top, static_cast<int>(PrimaryWorkAreaHeight() * 0.25));
  ::DestroyWindow(hwnd);
}

// Counts the files the document loader reads by the relative names it resolves.
int g_relativeReads = 0;
std::wstring g_countedFolder;
std::wstring CountingFolder() {
  ++g_relativeReads;
  return g_countedFolder;
}

TEST_F(WindowBuilderTest, CachedBuildsGiveIndependentTreesWithoutReadingAgain) {
  const std::wstring file = L"cached_item.xml";
  const std::wstring path =
      folder_.Write(file, R"(<Window><HBox name="row"><Control name="cell"/></HBox></Window>)");
  g_countedFolder = folder_.path();
  g_relativeReads = 0;
  XmlDocument::SetResourceFolderFunction(&CountingFolder);
  std::unique_ptr<Control> first(WindowBuilder::BuildCached(file));
  ASSERT_TRUE(::DeleteFileW(path.c_str()));
  std::unique_ptr<Control> second(WindowBuilder::BuildCached(file));
  std::unique_ptr<Control> third(WindowBuilder::BuildCached(file));
  XmlDocument::SetResourceFolderFunction(&UiRegistry::GetResourcePath);
  EXPECT_EQ(g_relativeReads, 1);
  for (const auto* tree : {&first, &second, &third}) {
    EXPECT_EQ(Describe(tree->get()), "HBox#row[Control#cell]");
  }
  EXPECT_NE(first.get(), second.get());
  static_cast<Box*>(second.get())->RemoveAll();
  EXPECT_EQ(Describe(first.get()), "HBox#row[Control#cell]");
  EXPECT_EQ(Describe(third.get()), "HBox#row[Control#cell]");
  // A file that never built is not kept: it is tried again.
  EXPECT_EQ(WindowBuilder::BuildCached(L"cached_missing.xml"), nullptr);
  EXPECT_EQ(UiRegistry::FindCachedDocument(L"cached_missing.xml"), nullptr);
}

TEST_F(WindowBuilderTest, ChildBoxesLoadTheirFilesThroughTheBuilder) {
  WriteLayouts({
      {L"panel.xml", LR"(<Window><HBox name="inside"><Control/></HBox></Window>)"},
      {L"itself.xml",
       LR"(<Window><VBox name="outer"><ChildBox xmlfile="itself.xml"/></VBox></Window>)"},
      {L"tick.xml", LR"(<Window><VBox name="tick"><ChildBox xmlfile="tock.xml"/></VBox></Window>)"},
      {L"tock.xml", LR"(<Window><VBox name="tock"><ChildBox xmlfile="tick.xml"/></VBox></Window>)"},
  });
  WindowBuilder builder;
  Control* root = builder.Build(
      LR"(<Window><VBox>
      <ChildBox name="panel" xmlfile="panel.xml"/>
      <ChildBox name="itself" xmlfile="itself.xml"/>
      <ChildBox name="tick" xmlfile="tick.xml"/>
      <ChildBox name="missing" xmlfile="missing.xml"/></VBox></Window>)",
      nullptr, &window_);
  ASSERT_NE(root, nullptr);
  window_.AttachRoot(root);
  EXPECT_EQ(Describe(root),
            "VBox[ChildBox#panel[HBox#inside[Control]],"
            "ChildBox#itself[VBox#outer[ChildBox]],"
            "ChildBox#tick[VBox#tick[ChildBox[VBox#tock[ChildBox]]]],"
            "ChildBox#missing]");
  EXPECT_NE(window_.FindControlByName(L"inside"), nullptr);
}

}  // namespace
}  // namespace ui
