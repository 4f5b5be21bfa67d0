#pragma once

namespace ui {

// Makes the process aware of each monitor's DPI, before it creates any window: per monitor
// (version 2) where the system knows it, else the per-monitor flag of Windows 8.1, else
// the system DPI of Vista and 7. Windows then leaves the drawing to the framework's own
// scaling instead of stretching its pixels. False when no way was available.
bool DeclarePerMonitorDpiAwareness();

}  // namespace ui
