#pragma once

#include <string>

// The game window's title from its address: an address may end in "|" part "|" part, each
// part percent-encoded text of the system's ANSI code page.
class GameTitle {
 public:
  // First part + "-" + second part; a tail without a second "|" is the title by itself.
  // Empty when the address has no "|" (or its parts decode to nothing).
  static std::wstring FromAddress(const std::wstring& gameUrl);
  // Each UTF-16 unit's low byte, percent-decoded: "%" and two hexadecimal digits become
  // that byte; a "%" not followed by two hexadecimal digits stays as it is.
  static std::string PercentDecode(const std::wstring& part);
  // The decoded part in the ANSI code page as UTF-16, up to its first NUL.
  static std::wstring DecodePart(const std::wstring& part);
};
