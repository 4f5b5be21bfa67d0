// A Windows program for the script tests: writes the file named by its second argument,
// waits until the file named by its third appears (at most two minutes), then exits with
// the code given as its first argument. Without files it exits at once.
#include <windows.h>

#include <cwchar>

namespace {

bool Exists(const wchar_t* path) {
  return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool Touch(const wchar_t* path) {
  const HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 100;
  const int code = static_cast<int>(std::wcstol(argv[1], nullptr, 10));
  if (argc < 4) return code;
  if (!Touch(argv[2])) return 101;
  for (int waited = 0; !Exists(argv[3]); waited += 50) {
    if (waited > 120000) return 102;
    Sleep(50);
  }
  return code;
}
