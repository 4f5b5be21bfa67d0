#include "ui/core/skin/window_builder.h"

#include <algorithm>
#include <cwctype>
#include <vector>

#include "ui/core/markup/xml_node.h"
#include "ui/core/skin/layout_definitions.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/core/tree/box.h"
#include "ui/core/window/window.h"

namespace ui {

namespace {

// Control elements nest at most this deep, counted across nested file builds; deeper
// elements are skipped with their subtrees, so a hostile layout cannot exhaust the stack.
constexpr int kMaxControlDepth = 128;

// The builds in progress on the UI thread, outermost first.
struct BuildStack {
  std::vector<std::wstring> files;
  int controlDepth = 0;
};

BuildStack& Stack() {
  static BuildStack stack;
  return stack;
}

// Names of one file compare alike whatever their case and separators.
std::wstring FileKey(const std::wstring& file) {
  std::wstring key = file;
  for (wchar_t& c : key) c = c == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(c));
  return key;
}

// A file build for its lifetime. Refused when the file is being built already (a layout
// that includes itself, directly or through others) or when builds nest too deep.
class NestedBuild {
 public:
  explicit NestedBuild(const std::wstring& file) {
    std::vector<std::wstring>& files = Stack().files;
    const std::wstring key = FileKey(file);
    allowed_ = static_cast<int>(files.size()) < WindowBuilder::kMaxNesting &&
               (key.empty() || std::find(files.begin(), files.end(), key) == files.end());
    if (allowed_) files.push_back(key);
  }
  ~NestedBuild() {
    if (allowed_) Stack().files.pop_back();
  }
  NestedBuild(const NestedBuild&) = delete;
  NestedBuild& operator=(const NestedBuild&) = delete;
  bool Allowed() const { return allowed_; }

 private:
  bool allowed_ = false;
};

class ControlLevel {
 public:
  ControlLevel() { ++Stack().controlDepth; }
  ~ControlLevel() { --Stack().controlDepth; }
  ControlLevel(const ControlLevel&) = delete;
  ControlLevel& operator=(const ControlLevel&) = delete;
  bool Allowed() const { return Stack().controlDepth <= kMaxControlDepth; }
};

bool NameIs(const XmlNode& element, const wchar_t* name) {
  return std::wcscmp(element.Name(), name) == 0;
}

bool IsDefinition(const XmlNode& element) {
  return NameIs(element, L"Image") || NameIs(element, L"Font") || NameIs(element, L"Class") ||
         NameIs(element, L"TextColor");
}

void ApplyAttributes(const XmlNode& element, Control* control) {
  for (int i = 0; i < element.AttributeCount(); ++i) {
    control->SetAttribute(element.AttributeName(i), element.AttributeValue(i));
  }
}

}  // namespace

WindowBuilder::WindowBuilder() = default;
WindowBuilder::~WindowBuilder() = default;

Control* WindowBuilder::Build(const wchar_t* source, CreateControlCallback callback, Window* window,
                              Control* parent, Control* existingRoot) {
  callback_ = std::move(callback);
  const bool isText = source && source[0] == L'<';
  NestedBuild nested(source ? (isText ? std::wstring() : std::wstring(source)) : file_);
  if (!nested.Allowed()) return nullptr;
  if (source && !Load(source)) return nullptr;
  return BuildDocument(window, parent, existingRoot);
}

bool WindowBuilder::Load(const wchar_t* source) {
  if (source[0] == L'<') {
    file_.clear();
    return document_.LoadFromText(source);
  }
  file_ = source;
  return document_.LoadFromFile(file_);
}

Control* WindowBuilder::BuildDocument(Window* window, Control* parent, Control* existingRoot) {
  const XmlNode root = document_.GetRoot();
  if (!root.IsValid()) return nullptr;
  if (window) ApplyRootAttributes(root, *window);
  RegisterDefinitions(root, window);
  XmlNode element = root.FirstChild();
  while (element.IsValid() && IsDefinition(element)) element = element.NextSibling();
  if (!element.IsValid()) return nullptr;
  if (!existingRoot) return BuildChildren(element, true, parent, window);
  ApplyAttributes(element, existingRoot);
  if (element.HasChildren()) BuildChildren(element.FirstChild(), false, existingRoot, window);
  return existingRoot;
}

void WindowBuilder::ApplyRootAttributes(const XmlNode& root, Window& window) const {
  if (NameIs(root, L"Global")) {
    ApplyGlobalAttributes(root);
  } else if (NameIs(root, L"Window")) {
    ApplyWindowAttributes(root, window);
  }
}

void WindowBuilder::RegisterDefinitions(const XmlNode& root, Window* window) const {
  const bool global = NameIs(root, L"Global");
  if (!global && !(NameIs(root, L"Window") && window)) return;
  std::wstring name;
  std::wstring attributes;
  for (XmlNode child = root.FirstChild(); child.IsValid(); child = child.NextSibling()) {
    if (NameIs(child, L"Class")) {
      ReadClass(child, &name, &attributes);
      if (name.empty()) continue;
      if (global) {
        UiRegistry::AddClass(name, attributes);
      } else {
        window->AddClass(name, attributes);
      }
    } else if (global && NameIs(child, L"Font")) {
      RegisterGlobalFont(child);
    } else if (global && NameIs(child, L"TextColor")) {
      RegisterGlobalTextColor(child);
    }
  }
}

Control* WindowBuilder::BuildChildren(const XmlNode& first, bool onlyFirst, Control* parent,
                                      Window* window) {
  Control* result = nullptr;
  for (XmlNode element = first; element.IsValid(); element = element.NextSibling()) {
    if (IsDefinition(element)) {
      // Definitions only count where the root holds them.
    } else if (NameIs(element, L"Include")) {
      BuildInclude(element, parent, window);
    } else {
      Control* made = nullptr;
      if (!BuildControl(element, parent, window, &made)) return nullptr;
      if (!result) result = made;
    }
    if (onlyFirst) break;
  }
  return result;
}

bool WindowBuilder::BuildControl(const XmlNode& element, Control* parent, Window* window,
                                 Control** made) {
  const ControlLevel level;
  if (!level.Allowed()) return true;
  const std::wstring className = element.Name();
  Control* control = CreateControlByClass(className);
  if (!control && (className == L"Event" || className == L"BubbledEvent")) {
    BindLayoutEvent(element, parent);
    return true;
  }
  if (!control) control = CreateControl(className);
  if (!control) return true;
  control->SetWindow(window);
  ApplyAttributes(element, control);
  if (element.HasChildren()) BuildChildren(element.FirstChild(), false, control, window);
  if (!parent) {
    *made = control;
    return true;
  }
  Box* box = dynamic_cast<Box*>(parent);
  if (!box || !box->Add(control)) {
    // Nothing holds the control: it goes now.
    delete control;
    return box != nullptr;
  }
  *made = control;
  return true;
}

Control* WindowBuilder::CreateControl(const std::wstring& className) const {
  Control* control = nullptr;
  if (const CreateControlCallback& global = UiRegistry::GetCreateControlCallback()) {
    control = global(className);
  }
  if (!control && callback_) control = callback_(className);
  return control;
}

void WindowBuilder::BuildInclude(const XmlNode& element, Control* parent, Window* window) const {
  if (!element.HasAttribute(L"source")) return;
  const std::wstring source = AttributeText(element, L"source");
  const int count =
      element.HasAttribute(L"count")
          ? std::clamp(ParseIntValue(AttributeText(element, L"count")), 0, kMaxIncludeCount)
          : 1;
  for (int i = 0; i < count; ++i) {
    WindowBuilder builder;
    Control* made = builder.Build(source.c_str(), callback_, window, parent);
    // Without a parent the included tree has no place to go.
    if (made && !made->GetParent()) delete made;
    // A file that does not load will not load the next time either.
    if (!builder.GetDocument().GetRoot().IsValid()) break;
  }
}

Control* WindowBuilder::BuildCached(const std::wstring& file, CreateControlCallback callback) {
  if (WindowBuilder* cached = UiRegistry::FindCachedDocument(file)) {
    return cached->Build(nullptr, std::move(callback));
  }
  auto builder = std::make_shared<WindowBuilder>();
  Control* root = builder->Build(file.c_str(), std::move(callback));
  if (root) UiRegistry::CacheDocument(file, builder);
  return root;
}

}  // namespace ui
