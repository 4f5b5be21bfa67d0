#pragma once

#include <windows.h>

#include <functional>
#include <string>

// The private messages of the start window. Neither carries data: the game address waits
// in the start window's GameUrlQueue, so a message posted from anywhere opens nothing.
constexpr UINT kMsgOpenGameWindow = WM_USER + 100;  // from the login window
constexpr UINT kMsgReturnToLogin = WM_USER + 101;   // from the game window

// What the login and game windows show a page's "ShowMessageBox" text with (the client
// shows a toast owned by the window); none shows nothing.
using MessageFunction = std::function<void(const std::wstring& text, HWND owner)>;

// The answer every "ShowMessageBox" call gets.
constexpr char kShowMessageBoxReply[] = "{ \"message\": \"Success.\" }";
