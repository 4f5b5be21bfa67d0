#include "ui/core/image_attributes/image_attribute.h"

#include <cwchar>

#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/ui_registry.h"

namespace ui {

namespace {

bool IsBlank(wchar_t c) {
  return c <= L' ';
}

// Reads "a,b,c,d": integers separated by any single character. Missing numbers read as 0;
// the reader never steps past the end of the value.
UiRect ParseRect(const std::wstring& value) {
  int numbers[4] = {0, 0, 0, 0};
  const wchar_t* cursor = value.c_str();
  for (int i = 0; i < 4; ++i) {
    wchar_t* end = nullptr;
    numbers[i] = static_cast<int>(std::wcstol(cursor, &end, 10));
    if (*end == L'\0') break;
    cursor = end + 1;
  }
  return UiRect{numbers[0], numbers[1], numbers[2], numbers[3]};
}

void ApplyProperty(ImageAttribute* attribute, const std::wstring& name, const std::wstring& value,
                   bool* destScale) {
  if (name == L"file" || name == L"res") {
    attribute->file = value;
  } else if (name == L"destscale") {
    *destScale = value == L"true";
  } else if (name == L"dest") {
    const UiRect dest = ParseRect(value);
    attribute->dest = *destScale ? UiRegistry::GetDpiScaler().ScaleRect(dest) : dest;
  } else if (name == L"source") {
    attribute->source = ParseRect(value);
  } else if (name == L"corner") {
    attribute->corner = ParseRect(value);
  } else if (name == L"fade") {
    attribute->fade = static_cast<unsigned char>(std::wcstoul(value.c_str(), nullptr, 10));
  } else if (name == L"xtiled") {
    attribute->xTiled = value == L"true";
  } else if (name == L"ytiled") {
    attribute->yTiled = value == L"true";
  } else if (name == L"playcount") {
    attribute->playCount = static_cast<int>(std::wcstol(value.c_str(), nullptr, 10));
  }
}

class ItemReader {
 public:
  explicit ItemReader(const std::wstring& text) : text_(text) {}

  // Reads the next name='value' item; false at a syntax fault.
  bool Read(std::wstring* name, std::wstring* value) {
    SkipBlanks();
    const size_t nameStart = pos_;
    while (pos_ < text_.size() && text_[pos_] != L'=' && !IsBlank(text_[pos_])) ++pos_;
    *name = text_.substr(nameStart, pos_ - nameStart);
    SkipBlanks();
    if (!Take(L'=')) return false;
    SkipBlanks();
    if (!Take(L'\'')) return false;
    const size_t close = text_.find(L'\'', pos_);
    if (close == std::wstring::npos) return false;
    *value = text_.substr(pos_, close - pos_);
    pos_ = close + 1;
    return true;
  }

  // Items are separated by exactly one blank, with more text after it.
  bool AtNextItem() {
    if (pos_ + 1 >= text_.size() || text_[pos_] != L' ' || IsBlank(text_[pos_ + 1])) return false;
    ++pos_;
    return true;
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }
  bool Take(wchar_t expected) {
    if (pos_ >= text_.size() || text_[pos_] != expected) return false;
    ++pos_;
    return true;
  }

  const std::wstring& text_;
  size_t pos_ = 0;
};

}  // namespace

void ImageAttribute::Reset() {
  *this = ImageAttribute();
}

void ImageAttribute::SetImageString(const std::wstring& text) {
  Reset();
  imageString = text;
  file = text;
  ParseImageAttribute(this, text);
}

bool IsRectSet(const UiRect& rect) {
  return rect.left != -1 && rect.top != -1 && rect.right != -1 && rect.bottom != -1;
}

void ParseImageAttribute(ImageAttribute* attribute, const std::wstring& text) {
  // Read in order, so it affects only a "dest" that follows it.
  bool destScale = true;
  ItemReader reader(text);
  std::wstring name;
  std::wstring value;
  do {
    if (!reader.Read(&name, &value)) return;
    if (!value.empty()) ApplyProperty(attribute, name, value, &destScale);
  } while (reader.AtNextItem());
}

}  // namespace ui
