#include "app/client_entry.h"

#include <windows.h>

#include "app/data_folder.h"
#include "app/main_thread.h"
#include "app/startup_services.h"
#include "runtime/path_util.h"

int RunClientEntry(StartupServices& services) {
  services.PrepareEngineFolder();
  if (!services.InitializeOle()) return 0;
  // An engine sub-process also ends here, once the engine has run it.
  if (!services.InitializeEngine(DataFolder::ForThisUser().Choose(kbase::ModuleFolder()))) return 0;
  {
    MainThread mainThread(services);
    mainThread.RunHere(kbase::kUILoop);
    // The loop hands its quit message on to any loop around it; around this one there is
    // none, and a quit message left in the thread's queue would end the next run's loop
    // in this process as soon as it started.
    MSG leftover;
    while (PeekMessageW(&leftover, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    services.UninitializeEngine();
    services.UninitializeOle();
  }
  return 0;
}
