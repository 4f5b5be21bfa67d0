#include <windows.h>

#include "app/client_entry.h"
#include "app/client_startup_services.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  ClientStartupServices services;
  return RunClientEntry(services);
}
