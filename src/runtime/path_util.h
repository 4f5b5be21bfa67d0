#pragma once

#include <string>

namespace kbase {

// The folder of the module that holds this code, with its trailing separator; empty when
// the module's file name has no separator.
std::wstring ModuleFolder();

// Folder part of a module file name, as ModuleFolder cuts it.
std::wstring FolderOfModulePath(const std::wstring& file_name);

// Creates every missing folder of the path. True when the whole path exists as folders.
bool CreateFolderPath(const std::wstring& path);

}  // namespace kbase
