#pragma once

#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>

namespace common_controls {

// Which common controls library a process gets when it loads "comctl32.dll".
struct Loaded {
  DWORD majorVersion = 0;  // as the library reports it; 0 when it did not load
  // The library is the one of the version 6 side-by-side assembly the manifest asks for.
  bool fromVersionSixAssembly = false;
};

inline Loaded Load() {
  Loaded loaded;
  const HMODULE library = LoadLibraryW(L"comctl32.dll");
  if (!library) return loaded;
  const auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(GetProcAddress(library, "DllGetVersion")));
  DLLVERSIONINFO info = {};
  info.cbSize = sizeof(info);
  if (getVersion && SUCCEEDED(getVersion(&info))) loaded.majorVersion = info.dwMajorVersion;
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(library, path, MAX_PATH);
  std::wstring lowered = path;
  std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  loaded.fromVersionSixAssembly =
      lowered.find(L"\\winsxs\\") != std::wstring::npos &&
      lowered.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6.") != std::wstring::npos;
  FreeLibrary(library);
  return loaded;
}

}  // namespace common_controls
