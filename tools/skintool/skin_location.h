#pragma once

#include <string>

// Where a layout file sits in a resource folder, found as the client would see it:
// <resources>\<theme>\<skin folder>\<file>. The client's resource folder is the folder named
// "resources" above the layout, its theme the "themes\NAME" below that, and the skin folder
// what lies between the theme and the file.
struct SkinLocation {
  // The full path of the layout file.
  std::wstring layout;
  // Ends in a separator.
  std::wstring resources;
  // Relative to the resource folder, without a trailing separator; may be empty.
  std::wstring theme;
  // Relative to the theme folder; ends in a separator unless empty.
  std::wstring skinFolder;

  // The theme folder: the resource folder the client starts its framework on.
  std::wstring ThemeFolder() const;

  // Without a "resources" folder above the layout, the layout's own folder stands for the
  // theme folder. A resource folder or theme given by the designer replaces what was found.
  static SkinLocation Find(const std::wstring& layout, const std::wstring& resources,
                           const std::wstring& theme);
};
