#pragma once

#include <functional>
#include <string>

// Where the browser keeps the player's profile, cache and log. Beside the program while the
// player can write there (a portable or per-user install); otherwise, as under a per-machine
// install in Program Files, in the player's own local application-data folder. A folder the
// player cannot write would give every start a throw-away profile, or none at all.
class DataFolder {
 public:
  // Whether files can be made in a folder; the real one makes and removes a probe file.
  using WritableTest = std::function<bool(const std::wstring& folder)>;

  // localAppData: the player's local application-data folder, empty when there is none.
  DataFolder(WritableTest writable, std::wstring localAppData);
  // The real probe and the player's real local application-data folder.
  static DataFolder ForThisUser();

  // The engine's data folder for a program in programFolder (both end in a separator).
  std::wstring Choose(const std::wstring& programFolder) const;

  static bool CanWriteIn(const std::wstring& folder);
  // The player's local application-data folder with no trailing separator; empty when
  // the system has none for this account.
  static std::wstring LocalAppData();

 private:
  WritableTest writable_;
  std::wstring localAppData_;
};
