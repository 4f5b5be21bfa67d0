#pragma once

#include <string>

#include "ui/core/markup/xml_node.h"

namespace ui_test {

// The tree below and after the node as one line per element: depth dots, the name,
// name=value pairs and the text in brackets when not empty.
std::wstring DescribeTree(const ui::XmlNode& first);

// The folder of test data (TARNWICK_TEST_DATA), with a trailing separator.
std::wstring TestDataFolder();

std::string ReadBytes(const std::wstring& path);

}  // namespace ui_test
