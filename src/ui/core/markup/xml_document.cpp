#include "ui/core/markup/xml_document.h"

#include <shlwapi.h>
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <new>

#include "ui/core/files/file_handle.h"
#include "ui/core/markup/utf8_decoder.h"
#include "ui/core/markup/xml_parser.h"

namespace ui {

namespace {

using namespace xml_errors;

XmlDocument::ResourceFolderFunction g_resourceFolderFunction = nullptr;
constexpr wchar_t kByteOrderMark = 0xFEFF;
constexpr wchar_t kReversedByteOrderMark = 0xFFFE;

// Reads the whole file into *bytes. Returns null on success, else the failure text.
const wchar_t* ReadWholeFile(const std::wstring& path, std::unique_ptr<char[]>* bytes,
                             size_t* size) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsOpen()) return kErrorOpeningFile;
  LARGE_INTEGER fileSize = {};
  if (!GetFileSizeEx(file.Get(), &fileSize)) return kCouldNotReadFile;
  if (fileSize.QuadPart == 0) return kFileIsEmpty;
  if (fileSize.QuadPart > static_cast<LONGLONG>(XmlDocument::kMaxFileSize)) {
    return kFileTooLarge;
  }
  *size = static_cast<size_t>(fileSize.QuadPart);
  bytes->reset(new (std::nothrow) char[*size]);
  if (*bytes == nullptr) return kOutOfMemory;
  DWORD read = 0;
  if (!ReadFile(file.Get(), bytes->get(), static_cast<DWORD>(*size), &read, nullptr) ||
      read != *size) {
    return kCouldNotReadFile;
  }
  return nullptr;
}

// The failure text for bytes that are plainly not UTF-8, judged by their first bytes as an
// XML text's first character (a "<", a blank or a mark) shows them; null for bytes that
// may be UTF-8. Such bytes would otherwise meet a NUL early and read as an empty or cut
// text. Bytes that are all NUL at the start show no encoding and stay an empty text.
const wchar_t* ForeignEncoding(const char* bytes, size_t length) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes);
  const bool four = length >= 4;
  const bool two = length >= 2;
  if (four && b[0] == 0xFF && b[1] == 0xFE && b[2] == 0 && b[3] == 0) return kUtf32LittleEndian;
  if (four && b[0] == 0 && b[1] == 0 && b[2] == 0xFE && b[3] == 0xFF) return kUtf32BigEndian;
  if (two && b[0] == 0xFF && b[1] == 0xFE) return kUtf16LittleEndian;
  if (two && b[0] == 0xFE && b[1] == 0xFF) return kUtf16BigEndian;
  if (two && b[0] == 0 && b[1] != 0) return kUtf16BigEndian;
  if (four && b[0] == 0 && b[1] == 0 && b[2] == 0 && b[3] != 0) return kUtf32BigEndian;
  if (two && b[0] != 0 && b[1] == 0) {
    return four && b[2] == 0 && b[3] == 0 ? kUtf32LittleEndian : kUtf16LittleEndian;
  }
  return nullptr;
}

std::wstring ResolvePath(const std::wstring& path) {
  if (g_resourceFolderFunction == nullptr || !PathIsRelativeW(path.c_str())) return path;
  return g_resourceFolderFunction() + path;
}

// Copies up to maxLength characters of text, stopping at its terminator.
void CopyLimited(const wchar_t* text, wchar_t* out, size_t maxLength) {
  size_t length = 0;
  if (text != nullptr) {
    while (length < maxLength && text[length] != 0) {
      out[length] = text[length];
      ++length;
    }
  }
  out[length] = 0;
}

}  // namespace

void XmlDocument::SetResourceFolderFunction(ResourceFolderFunction function) {
  g_resourceFolderFunction = function;
}

XmlDocument::XmlDocument() = default;

XmlDocument::~XmlDocument() = default;

bool XmlDocument::LoadFromText(const wchar_t* text) {
  Reset();
  // A byte-order mark means the same here as in bytes: skipped when it reads right, and a
  // sign of the wrong byte order when it reads reversed.
  if (text != nullptr && *text == kByteOrderMark) ++text;
  if (text != nullptr && *text == kReversedByteOrderMark) return Fail(kSwappedByteOrder, nullptr);
  const size_t length = text != nullptr ? std::wcslen(text) : 0;
  if (!AllocateText(length)) return Fail(kOutOfMemory, nullptr);
  if (length > 0) std::memcpy(text_.get(), text, length * sizeof(wchar_t));
  text_[length] = 0;
  return Parse();
}

bool XmlDocument::LoadFromBytes(const char* bytes, size_t length) {
  Reset();
  if (length > 2 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) {
    bytes += 3;
    length -= 3;
  } else if (const wchar_t* foreign = ForeignEncoding(bytes, length)) {
    return Fail(foreign, nullptr);
  }
  // UTF-8 never needs more UTF-16 units than it has bytes, so one allocation suffices.
  if (!AllocateText(length)) return Fail(kOutOfMemory, nullptr);
  const size_t converted = DecodeUtf8(bytes, length, text_.get());
  text_[converted] = 0;
  textSize_ = converted + 1;
  return Parse();
}

bool XmlDocument::LoadFromFile(const std::wstring& path) {
  Reset();
  std::unique_ptr<char[]> bytes;
  size_t size = 0;
  if (const wchar_t* failure = ReadWholeFile(ResolvePath(path), &bytes, &size)) {
    return Fail(failure, nullptr);
  }
  return LoadFromBytes(bytes.get(), size);
}

XmlNode XmlDocument::GetRoot() const {
  return table_.Size() > 1 ? XmlNode(this, 1) : XmlNode();
}

uint32_t XmlDocument::ElementCount() const {
  return table_.Size() > 0 ? table_.Size() - 1 : 0;
}

void XmlDocument::Release() {
  text_.reset();
  textSize_ = 0;
  textCapacity_ = 0;
  table_.Release();
}

void XmlDocument::Reset() {
  // The previous text's memory stays for this load; only its contents go.
  textSize_ = 0;
  lastErrorMessage_[0] = 0;
  lastErrorLocation_[0] = 0;
}

bool XmlDocument::AllocateText(size_t length) {
  // Positions in the element table are 32-bit.
  if (length >= UINT32_MAX || length >= SIZE_MAX / sizeof(wchar_t)) return false;
  if (length + 1 > textCapacity_) {
    text_.reset();
    textCapacity_ = 0;
    text_.reset(new (std::nothrow) wchar_t[length + 1]);
    if (text_ == nullptr) return false;
    textCapacity_ = length + 1;
  }
  textSize_ = length + 1;
  return true;
}

bool XmlDocument::Parse() {
  XmlParser parser(text_.get(), &table_, preserveWhitespace_);
  if (!parser.Parse()) return Fail(parser.ErrorMessage(), parser.ErrorPosition());
  return true;
}

bool XmlDocument::Fail(const wchar_t* message, const wchar_t* location) {
  // The location points into the buffer, so copy it before the buffer goes.
  CopyLimited(message, lastErrorMessage_, kMaxErrorMessageLength);
  CopyLimited(location, lastErrorLocation_, kMaxErrorLocationLength);
  Release();
  return false;
}

}  // namespace ui
