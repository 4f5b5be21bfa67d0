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
