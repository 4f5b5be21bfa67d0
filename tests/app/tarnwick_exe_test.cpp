// The shipped executable started from a folder without the engine: the notice is answered
// the way a user answers it, and the process must end with 0 having started nothing.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/temp_folder.h"

namespace {

struct Process {
  PROCESS_INFORMATION info = {};
  ~Process() {
    if (info.hProcess) {
      if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 1);
      CloseHandle(info.hProcess);
      CloseHandle(info.hThread);
    }
  }
};

// The notice box of that process, once it shows.
HWND FindNotice(DWORD processId) {
  for (HWND box = FindWindowW(L"#32770", L"提示"); box;
       box = FindWindowExW(nullptr, box, L"#32770", L"提示")) {
    DWORD owner = 0;
    GetWindowThreadProcessId(box, &owner);
    if (owner == processId) return box;
  }
  return nullptr;
}

TEST(TarnwickExeTest, WithoutTheEngineFolderShowsTheNoticeAndReturnsZero) {
  test_files::TempFolder folder(L"tarnwick_no_engine_");
  ASSERT_TRUE(folder.Created());
  const std::wstring exe = folder.Path() + L"Tarnwick.exe";
  ASSERT_TRUE(CopyFileW(TARNWICK_EXE, exe.c_str(), FALSE));
  Process process;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  std::wstring commandLine = L"\"" + exe + L"\"";
  ASSERT_TRUE(CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                             folder.Path().c_str(), &startup, &process.info));
  HWND notice = nullptr;
  const DWORD start = GetTickCount();
  while (!notice && GetTickCount() - start < 60000 &&
         WaitForSingleObject(process.info.hProcess, 50) == WAIT_TIMEOUT) {
    notice = FindNotice(process.info.dwProcessId);
  }
  ASSERT_NE(notice, nullptr) << "no notice was shown";
  wchar_t text[256] = {};
  GetDlgItemTextW(notice, 0xFFFF, text, 256);
  EXPECT_STREQ(text, L"请解压Cef.rar压缩包");
  PostMessageW(notice, WM_COMMAND, IDOK, 0);
  ASSERT_EQ(WaitForSingleObject(process.info.hProcess, 60000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(process.info.hProcess, &code);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(GetFileAttributesW((folder.Path() + L"cef_temp").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the engine's data folder was made without an engine";
  DeleteFileW(exe.c_str());
}

}  // namespace
