#pragma once

#include <windows.h>

#include <cstdint>

namespace ui {

// The platform's pointer records. The program is built for systems that may predate them,
// so their layout is written out here; it matches the platform's exactly.
struct PointerInfo {
  DWORD pointerType;
  UINT32 pointerId;
  UINT32 frameId;
  UINT32 pointerFlags;
  HANDLE sourceDevice;
  HWND hwndTarget;
  POINT ptPixelLocation;
  POINT ptHimetricLocation;
  POINT ptPixelLocationRaw;
  POINT ptHimetricLocationRaw;
  DWORD dwTime;
  UINT32 historyCount;
  INT32 inputData;
  DWORD dwKeyStates;
  UINT64 performanceCount;
  INT32 buttonChangeType;
};

struct PointerTouchInfo {
  PointerInfo pointerInfo;
  UINT32 touchFlags;
  UINT32 touchMask;
  RECT rcContact;
  RECT rcContactRaw;
  UINT32 orientation;
  UINT32 pressure;
};

struct PointerPenInfo {
  PointerInfo pointerInfo;
  UINT32 penFlags;
  UINT32 penMask;
  UINT32 pressure;
  UINT32 rotation;
  INT32 tiltX;
  INT32 tiltY;
};

// The pointer messages; the pointer id is the low word of wParam, the high word holds flags.
constexpr UINT kMessagePointerUpdate = 0x0245;
constexpr UINT kMessagePointerDown = 0x0246;
constexpr UINT kMessagePointerUp = 0x0247;
constexpr WORD kPointerFlagPrimary = 0x2000;

// Pointer kinds as the platform reports them.
constexpr DWORD kPointerKindTouch = 2;
constexpr DWORD kPointerKindPen = 3;
constexpr DWORD kPointerKindMouse = 4;
// Pressure is reported from 0 to this.
constexpr UINT32 kPointerFullPressure = 1024;
constexpr UINT32 kTouchMaskPressure = 0x4;
constexpr UINT32 kPenMaskPressure = 0x1;

// The platform's touch and pointer functions; any of them may be missing (null).
struct TouchEntryPoints {
  BOOL(WINAPI* registerTouchWindow)(HWND window, ULONG flags);
  BOOL(WINAPI* unregisterTouchWindow)(HWND window);
  BOOL(WINAPI* getTouchInputInfo)(HTOUCHINPUT input, UINT count, TOUCHINPUT* inputs, int size);
  BOOL(WINAPI* closeTouchInputHandle)(HTOUCHINPUT input);
  BOOL(WINAPI* getPointerType)(UINT32 pointerId, DWORD* type);
  BOOL(WINAPI* getPointerTouchInfo)(UINT32 pointerId, PointerTouchInfo* info);
  BOOL(WINAPI* getPointerPenInfo)(UINT32 pointerId, PointerPenInfo* info);
};

// The functions of the loaded user32, looked up once, on first use, from any thread.
const TouchEntryPoints& ResolvedTouchEntryPoints();

// Makes the wrappers call the given table instead of the resolved one (null restores it);
// returns the table used before. The table must outlive its use.
const TouchEntryPoints* SetTouchEntryPoints(const TouchEntryPoints* table);

// Each answers true only when the function exists and the platform call succeeded.
bool RegisterTouch(HWND window);
bool UnregisterTouch(HWND window);
bool GetTouchInputs(HTOUCHINPUT input, UINT count, TOUCHINPUT* inputs);
bool CloseTouchInput(HTOUCHINPUT input);
bool GetPointerKind(UINT32 pointerId, DWORD* type);
bool GetPointerTouchData(UINT32 pointerId, PointerTouchInfo* info);
bool GetPointerPenData(UINT32 pointerId, PointerPenInfo* info);

}  // namespace ui
