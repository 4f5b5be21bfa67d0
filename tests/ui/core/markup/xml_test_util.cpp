#include "xml_test_util.h"

#include <fstream>
#include <sstream>

#include "common/test_data_folder.h"

namespace ui_test {

namespace {

void Describe(const ui::XmlNode& node, int depth, std::wstring* out) {
  for (ui::XmlNode n = node; n.IsValid(); n = n.NextSibling()) {
    out->append(depth, L'.');
    out->append(n.Name());
    for (int i = 0; i < n.AttributeCount(); ++i) {
      *out += L" " + std::wstring(n.AttributeName(i)) + L"=" + n.AttributeValue(i);
    }
    if (*n.Text() != 0) *out += L" [" + std::wstring(n.Text()) + L"]";
    *out += L"\n";
    Describe(n.FirstChild(), depth + 1, out);
  }
}

}  // namespace

std::wstring DescribeTree(const ui::XmlNode& first) {
  std::wstring out;
  Describe(first, 0, &out);
  return out;
}

std::wstring TestDataFolder() {
  return test_data::Folder();
}

std::string ReadBytes(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

}  // namespace ui_test
