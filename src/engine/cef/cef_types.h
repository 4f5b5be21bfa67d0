#pragma once

// Plain types and constants of the engine interface. Native handles are declared here
// without windows.h so that the interface headers stay light.

#include <cstddef>
#include <cstdint>

#include "engine/cef/cef_string.h"

struct HWND__;
struct HINSTANCE__;
struct HMENU__;
struct tagMSG;
using CefWindowHandle = HWND__*;
using CefEventHandle = tagMSG*;

// A string inside the engine's plain settings structures, which callers fill with zeros.
struct cef_string_t {
  wchar_t* str;
  size_t length;
  void (*dtor)(wchar_t* str);
};
// Sets the string to a copy of the text (copy is always honoured).
int cef_string_set(const wchar_t* src, size_t length, cef_string_t* output, int copy);
void cef_string_clear(cef_string_t* str);
inline CefString CefStringOf(const cef_string_t& s) {
  return s.str ? CefString(std::wstring(s.str, s.length)) : CefString();
}

enum cef_log_severity_t {
  LOGSEVERITY_DEFAULT,
  LOGSEVERITY_VERBOSE,
  LOGSEVERITY_DEBUG = LOGSEVERITY_VERBOSE,
  LOGSEVERITY_INFO,
  LOGSEVERITY_WARNING,
  LOGSEVERITY_ERROR,
  LOGSEVERITY_FATAL,
  LOGSEVERITY_DISABLE = 99
};

enum cef_transition_type_t {
  TT_LINK = 0,
  TT_EXPLICIT = 1,
  TT_AUTO_SUBFRAME = 3,
  TT_MANUAL_SUBFRAME = 4,
  TT_FORM_SUBMIT = 7,
  TT_RELOAD = 8,
  TT_FORWARD_BACK_FLAG = 0x01000000,
  TT_SERVER_REDIRECT_FLAG = 0x80000000,
};

enum cef_errorcode_t {
  ERR_NONE = 0,
  ERR_IO_PENDING = -1,
  ERR_FAILED = -2,
  ERR_ABORTED = -3,
  ERR_INVALID_ARGUMENT = -4,
  ERR_TIMED_OUT = -7,
  ERR_BLOCKED_BY_CLIENT = -20,
  ERR_CONNECTION_CLOSED = -100,
  ERR_CONNECTION_RESET = -101,
  ERR_CONNECTION_REFUSED = -102,
  ERR_CONNECTION_ABORTED = -103,
  ERR_CONNECTION_FAILED = -104,
  ERR_NAME_NOT_RESOLVED = -105,
  ERR_INTERNET_DISCONNECTED = -106,
  ERR_ADDRESS_UNREACHABLE = -109,
  ERR_INVALID_URL = -300,
  ERR_DISALLOWED_URL_SCHEME = -301,
  ERR_UNKNOWN_URL_SCHEME = -302,
  ERR_TOO_MANY_REDIRECTS = -310,
  ERR_UNSAFE_PORT = -312,
  ERR_EMPTY_RESPONSE = -324,
};

enum cef_termination_status_t {
  TS_ABNORMAL_TERMINATION,
  TS_PROCESS_WAS_KILLED,
  TS_PROCESS_CRASHED,
  TS_PROCESS_OOM,
};

enum cef_jsdialog_type_t {
  JSDIALOGTYPE_ALERT = 0,
  JSDIALOGTYPE_CONFIRM,
  JSDIALOGTYPE_PROMPT,
};

enum cef_window_open_disposition_t {
  WOD_UNKNOWN,
  WOD_CURRENT_TAB,
  WOD_SINGLETON_TAB,
  WOD_NEW_FOREGROUND_TAB,
  WOD_NEW_BACKGROUND_TAB,
  WOD_NEW_POPUP,
  WOD_NEW_WINDOW,
  WOD_SAVE_TO_DISK,
  WOD_OFF_THE_RECORD,
  WOD_IGNORE_ACTION,
};

enum cef_context_menu_type_flags_t {
  CM_TYPEFLAG_NONE = 0,
  CM_TYPEFLAG_PAGE = 1 << 0,
  CM_TYPEFLAG_FRAME = 1 << 1,
  CM_TYPEFLAG_LINK = 1 << 2,
  CM_TYPEFLAG_MEDIA = 1 << 3,
  CM_TYPEFLAG_SELECTION = 1 << 4,
  CM_TYPEFLAG_EDITABLE = 1 << 5,
};

// The commands of the items a context menu starts with; clients number theirs from
// MENU_ID_USER_FIRST.
enum cef_menu_id_t {
  MENU_ID_BACK = 100,
  MENU_ID_FORWARD = 101,
  MENU_ID_RELOAD = 102,
  MENU_ID_RELOAD_NOCACHE = 103,
  MENU_ID_STOPLOAD = 104,
  MENU_ID_UNDO = 110,
  MENU_ID_REDO = 111,
  MENU_ID_CUT = 112,
  MENU_ID_COPY = 113,
  MENU_ID_PASTE = 114,
  MENU_ID_DELETE = 115,
  MENU_ID_SELECT_ALL = 116,
  MENU_ID_USER_FIRST = 26500,
  MENU_ID_USER_LAST = 28500,
};

enum cef_event_flags_t {
  EVENTFLAG_NONE = 0,
  EVENTFLAG_SHIFT_DOWN = 1 << 1,
  EVENTFLAG_CONTROL_DOWN = 1 << 2,
  EVENTFLAG_ALT_DOWN = 1 << 3,
  EVENTFLAG_LEFT_MOUSE_BUTTON = 1 << 4,
  EVENTFLAG_RIGHT_MOUSE_BUTTON = 1 << 6,
};

enum cef_file_dialog_mode_t {
  FILE_DIALOG_OPEN = 0,
  FILE_DIALOG_OPEN_MULTIPLE,
  FILE_DIALOG_OPEN_FOLDER,
  FILE_DIALOG_SAVE,
};

enum cef_drag_operations_mask_t {
  DRAG_OPERATION_NONE = 0,
  DRAG_OPERATION_COPY = 1,
  DRAG_OPERATION_LINK = 2,
  DRAG_OPERATION_MOVE = 16,
  DRAG_OPERATION_EVERY = 0x7fffffff,
};

enum cef_resource_type_t {
  RT_MAIN_FRAME = 0,
  RT_SUB_FRAME,
  RT_STYLESHEET,
  RT_SCRIPT,
  RT_IMAGE,
  RT_XHR = 13,
};

struct CefRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  CefRect() = default;
  CefRect(int x_, int y_, int width_, int height_) : x(x_), y(y_), width(width_), height(height_) {}
};

struct CefPoint {
  int x = 0;
  int y = 0;
  CefPoint() = default;
  CefPoint(int x_, int y_) : x(x_), y(y_) {}
};

// The size and place a page asked for when it opened a popup.
struct CefPopupFeatures {
  int x = 0;
  int xSet = 0;
  int y = 0;
  int ySet = 0;
  int width = 0;
  int widthSet = 0;
  int height = 0;
  int heightSet = 0;
  int menuBarVisible = 1;
  int statusBarVisible = 1;
  int toolBarVisible = 1;
  int scrollbarsVisible = 1;
};

struct CefKeyEvent {
  int type = 0;
  uint32_t modifiers = 0;
  int windows_key_code = 0;
  int native_key_code = 0;
  int is_system_key = 0;
  wchar_t character = 0;
  wchar_t unmodified_character = 0;
  int focus_on_editable_field = 0;
};

// How a browser's native window is made: a child of a parent window, or a top-level window.
struct CefWindowInfo {
  unsigned long ex_style = 0;
  CefString window_name;
  unsigned long style = 0;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  CefWindowHandle parent_window = nullptr;
  HMENU__* menu = nullptr;
  int windowless_rendering_enabled = 0;
  CefWindowHandle window = nullptr;

  void SetAsChild(CefWindowHandle parent, const CefRect& bounds);
  void SetAsPopup(CefWindowHandle parent, const CefString& name);
};

struct CefBrowserSettings {
  size_t size = sizeof(CefBrowserSettings);
  int windowless_frame_rate = 0;
  int javascript = 0;
  int background_color = 0;
};
