#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/core/markup/xml_document.h"
#include "ui/core/resources/ui_registry.h"

namespace ui {

class Box;
class Control;
class Window;
class XmlNode;

// Makes a new control of one class.
using ControlFactory = std::function<Control*()>;

// Turns a layout document into a control tree: the window's attributes, the global and
// window definitions, includes, layout event bindings and the controls themselves.
// A builder lives for one build, or in the document cache for the process.
class WindowBuilder {
 public:
  // Nested file builds (includes, child boxes) stop at this depth.
  static constexpr int kMaxNesting = 16;
  // An include is built at most this many times.
  static constexpr int kMaxIncludeCount = 1000;

  WindowBuilder();
  ~WindowBuilder();
  WindowBuilder(const WindowBuilder&) = delete;
  WindowBuilder& operator=(const WindowBuilder&) = delete;

  // Builds from a layout text (beginning with "<"), a file (relative names are read from the
  // resource folder), or, for a null source, the document the builder holds. Controls are
  // made for the window (none for a detached tree) and added to the parent when one is
  // given; with an existing root the layout's root element fills that control. Returns the
  // root control, or nothing when the source does not load or builds no control.
  Control* Build(const wchar_t* source, CreateControlCallback callback = nullptr,
                 Window* window = nullptr, Control* parent = nullptr,
                 Control* existingRoot = nullptr);

  // Builds a layout file parsed once: later requests rebuild from the kept document without
  // reading the file. Every call gives a new, independent tree.
  static Control* BuildCached(const std::wstring& file, CreateControlCallback callback = nullptr);

  // A new control of a class of the class table, or nothing for a name it does not hold.
  static Control* CreateControlByClass(const std::wstring& className);
  // Whether the class table holds the name.
  static bool IsKnownClass(const std::wstring& className);
  // Libraries above the core add their controls' classes; a name already held is replaced.
  static void AddControlClass(const std::wstring& className, ControlFactory factory);

  const XmlDocument& GetDocument() const { return document_; }

 private:
  bool Load(const wchar_t* source);
  Control* BuildDocument(Window* window, Control* parent, Control* existingRoot);
  void ApplyRootAttributes(const XmlNode& root, Window& window) const;
  void RegisterDefinitions(const XmlNode& root, Window* window) const;
  // Builds the child elements into the parent; returns the first control made (and added
  // when there is a parent), or nothing when building stopped under a parent that is no box.
  Control* BuildChildren(const XmlNode& first, bool onlyFirst, Control* parent, Window* window);
  // One control element and its subtree; false when building must stop at this level.
  bool BuildControl(const XmlNode& element, Control* parent, Window* window, Control** made);
  Control* CreateControl(const std::wstring& className) const;
  void BuildInclude(const XmlNode& element, Control* parent, Window* window) const;

  XmlDocument document_;
  // The file the document came from, empty for a text.
  std::wstring file_;
  CreateControlCallback callback_;
};

}  // namespace ui
