// A program with the client's application manifest that declares its DPI awareness as the
// client does at its start. Its exit code tells what they made of the process: bit 0 set
// when the process is DPI aware, bit 1
// when the common controls came from their version 6 assembly, and the library's own major
// version from bit 4 on.

#include <windows.h>

#include "common/common_controls.h"
#include "ui/core/window/dpi_awareness.h"

int wmain() {
  ui::DeclarePerMonitorDpiAwareness();
  const common_controls::Loaded loaded = common_controls::Load();
  return (IsProcessDPIAware() ? 1 : 0) | (loaded.fromVersionSixAssembly ? 2 : 0) |
         static_cast<int>(loaded.majorVersion << 4);
}
