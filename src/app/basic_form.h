#pragma once

#include <memory>
#include <string>

#include "app/client_messages.h"
#include "app/service_settings.h"
#include "ui/core/skin/window_impl_base.h"

class CefForm;
class CefGameForm;
class GameUrlQueue;

// The start window: the launcher with the game's name. It reads the launch settings,
// opens the login window over itself, opens the game window for the address the login
// page hands over (a later address goes to the open game window) and takes the user back
// to the login window when the game ends.
// Closing it ends the process.
class BasicForm : public ui::WindowImplBase {
 public:
  BasicForm();

  // How the login and game windows show a page's message; none shows nothing.
  void SetMessageFunction(MessageFunction show) { showMessage_ = std::move(show); }
  // The login window while it exists (the system may close it on its own).
  CefForm* LoginWindow() const;
  // The last game window while it exists.
  CefGameForm* GameWindow() const;
  // Where the login window is placed, from the start window's top-left corner.
  static constexpr int kLoginOffsetX = 484;
  static constexpr int kLoginOffsetY = 288;

  std::wstring GetWindowClassName() const override { return L"Game_start"; }
  std::wstring GetSkinFolder() override { return L"cef"; }
  std::wstring GetSkinFile() override { return L"basic.xml"; }
  LRESULT HandleNativeMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnInitWindow() override;
  LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;

 protected:
  ~BasicForm() override;

 private:
  bool OnClick(ui::EventArgs* args);
  void CreateLoginWindow();
  // The login window at its offset with its own size.
  void PlaceLoginWindow(UINT flags, HWND insertAfter);
  void OpenGameWindows();
  void OpenGameWindow(const std::wstring& url);
  void ReturnToLogin();

  CefForm* loginWindow = nullptr;
  CefGameForm* gameWindow = nullptr;
  std::wstring uid;
  std::wstring filename;
  std::wstring token;
  std::wstring accessUrl;
  ServiceSettings service_;
  std::weak_ptr<kbase::WeakFlag> loginAlive_;
  std::weak_ptr<kbase::WeakFlag> gameAlive_;
  std::shared_ptr<GameUrlQueue> gameUrls_;
  MessageFunction showMessage_;
};
