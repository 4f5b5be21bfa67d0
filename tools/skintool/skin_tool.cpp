#include "skin_tool.h"

#include <utility>

#include "ui/core/xml_document.h"

namespace {

constexpr int kAllLoaded = 0;
constexpr int kLoadFailed = 1;
constexpr int kUsageError = 2;

const wchar_t* const kUsage[] = {
    L"usage: skintool check FILE...   report whether each layout file loads",
    L"       skintool dump FILE       print the element tree of a layout file",
};

std::wstring FailureLine(const std::wstring& file, const ui::XmlDocument& document) {
  std::wstring line = file + L": FAIL, " + document.LastErrorMessage();
  if (*document.LastErrorLocation() != 0) {
    line += L", at \"" + SkinTool::Escape(document.LastErrorLocation()) + L"\"";
  }
  return line;
}

}  // namespace

SkinTool::SkinTool(LineWriter out, LineWriter err) : out_(std::move(out)), err_(std::move(err)) {}

int SkinTool::Run(const std::vector<std::wstring>& arguments) {
  if (arguments.empty()) return Usage(kUsageError);
  const std::wstring& command = arguments[0];
  const std::vector<std::wstring> files(arguments.begin() + 1, arguments.end());
  if (command == L"check" && !files.empty()) return Check(files);
  if (command == L"dump" && files.size() == 1) return Dump(files[0]);
  if (command == L"help" || command == L"-h" || command == L"--help") return Usage(kAllLoaded);
  return Usage(kUsageError);
}

int SkinTool::Usage(int status) {
  for (const wchar_t* line : kUsage) (status == kAllLoaded ? out_ : err_)(line);
  return status;
}

int SkinTool::Check(const std::vector<std::wstring>& files) {
  int status = kAllLoaded;
  for (const std::wstring& file : files) {
    ui::XmlDocument document;
    if (Load(file, &document)) {
      const uint32_t count = document.ElementCount();
      out_(file + L": OK, " + std::to_wstring(count) + (count == 1 ? L" element" : L" elements"));
    } else {
      status = kLoadFailed;
    }
  }
  return status;
}

bool SkinTool::Load(const std::wstring& file, ui::XmlDocument* document) {
  if (!document->LoadFromFile(file)) {
    out_(FailureLine(file, *document));
    return false;
  }
  // The parser accepts blanks, comments and NULs alone, but a layout needs its root.
  if (document->ElementCount() == 0) {
    out_(file + L": FAIL, no root element");
    return false;
  }
  return true;
}

int SkinTool::Dump(const std::wstring& file) {
  ui::XmlDocument document;
  if (!Load(file, &document)) return kLoadFailed;
  // Walks the links without recursion: a layout may nest deeper than the stack allows.
  ui::XmlNode node = document.GetRoot();
  int depth = 0;
  while (node.IsValid()) {
    DumpElement(node, depth);
    if (node.HasChildren()) {
      node = node.FirstChild();
      ++depth;
      continue;
    }
    while (node.IsValid() && !node.NextSibling().IsValid()) {
      node = node.Parent();
      --depth;
    }
    if (node.IsValid()) node = node.NextSibling();
  }
  return kAllLoaded;
}

void SkinTool::DumpElement(const ui::XmlNode& node, int depth) {
  std::wstring line(static_cast<size_t>(depth) * 2, L' ');
  line += node.Name();
  for (int i = 0; i < node.AttributeCount(); ++i) {
    line += L" " + std::wstring(node.AttributeName(i)) + L"=\"" + Escape(node.AttributeValue(i)) +
            L"\"";
  }
  if (*node.Text() != 0) line += L" \"" + Escape(node.Text()) + L"\"";
  out_(line);
}

std::wstring SkinTool::Escape(const std::wstring& text) {
  std::wstring escaped;
  escaped.reserve(text.size());
  for (wchar_t c : text) {
    switch (c) {
      case L'\\':
        escaped += L"\\\\";
        break;
      case L'"':
        escaped += L"\\\"";
        break;
      case L'\n':
        escaped += L"\\n";
        break;
      case L'\r':
        escaped += L"\\r";
        break;
      case L'\t':
        escaped += L"\\t";
        break;
      default:
        if (c < 0x20) {
          const wchar_t* const digits = L"0123456789ABCDEF";
          escaped += {L'\\', L'x', digits[c >> 4], digits[c & 0xF]};
        } else {
          escaped += c;
        }
    }
  }
  return escaped;
}
