#pragma once

#include <string>

// The account values the launcher leaves in "config.ini" beside the executable (section
// "vexmor"). A missing file, section or key gives an empty value.
struct LaunchSettings {
  std::wstring uid;
  std::wstring filename;
  std::wstring token;

  // Each value is cut to 259 characters. A file too large to be a settings file is not
  // read at all, so a stray huge file cannot stall the start.
  static LaunchSettings Read(const std::wstring& iniPath);
  // The access address with the values appended exactly as read; "filename" travels as the
  // query parameter "suid".
  std::wstring LoginAddress(const std::wstring& accessUrl) const;
};

// The "config.ini" beside the executable, and any other file beside it.
std::wstring FileBesideExecutable(const std::wstring& name);
// One value of an ini file, at most 259 characters; empty when missing.
std::wstring ReadIniValue(const std::wstring& iniPath, const wchar_t* section, const wchar_t* key);
