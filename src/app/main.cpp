#include <windows.h>

#include "app/client_entry.h"
#include "app/client_startup_services.h"
#include "ui/core/window/dpi_awareness.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  ui::DeclarePerMonitorDpiAwareness();
  ClientStartupServices services;
  return RunClientEntry(services);
}
