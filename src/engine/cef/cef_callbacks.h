#pragma once

// Objects the engine hands to handlers: answers that may be given later (callbacks) and the
// data of context menus, downloads and drags. Each callback answers at most once; later
// answers are ignored.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/cef/cef_base.h"
#include "engine/cef/cef_string.h"
#include "engine/cef/cef_types.h"

// One answer, given once, from any thread.
template <class... Args>
class OnceAnswer {
 public:
  using Function = std::function<void(Args...)>;
  explicit OnceAnswer(Function f) : function_(std::move(f)) {}
  void Give(Args... args) {
    Function f;
    {
      std::lock_guard<std::mutex> hold(lock_);
      f.swap(function_);
    }
    if (f) f(args...);
  }

 private:
  std::mutex lock_;
  Function function_;
};

class CefCallback : public virtual CefBaseRefCounted {
 public:
  explicit CefCallback(std::function<void(bool)> answer) : answer_(std::move(answer)) {}
  void Continue() { answer_.Give(true); }
  void Cancel() { answer_.Give(false); }

 private:
  OnceAnswer<bool> answer_;
  IMPLEMENT_REFCOUNTING(CefCallback);
};

class CefRequestCallback : public virtual CefBaseRefCounted {
 public:
  explicit CefRequestCallback(std::function<void(bool)> answer) : answer_(std::move(answer)) {}
  void Continue(bool allow) { answer_.Give(allow); }
  void Cancel() { answer_.Give(false); }

 private:
  OnceAnswer<bool> answer_;
  IMPLEMENT_REFCOUNTING(CefRequestCallback);
};

class CefJSDialogCallback : public virtual CefBaseRefCounted {
 public:
  explicit CefJSDialogCallback(std::function<void(bool, const CefString&)> answer)
      : answer_(std::move(answer)) {}
  void Continue(bool success, const CefString& userInput) { answer_.Give(success, userInput); }

 private:
  OnceAnswer<bool, const CefString&> answer_;
  IMPLEMENT_REFCOUNTING(CefJSDialogCallback);
};

class CefAuthCallback : public virtual CefBaseRefCounted {
 public:
  explicit CefAuthCallback(std::function<void(bool, const CefString&, const CefString&)> answer)
      : answer_(std::move(answer)) {}
  void Continue(const CefString& user, const CefString& password) {
    answer_.Give(true, user, password);
  }
  void Cancel() { answer_.Give(false, CefString(), CefString()); }

 private:
  OnceAnswer<bool, const CefString&, const CefString&> answer_;
  IMPLEMENT_REFCOUNTING(CefAuthCallback);
};

class CefFileDialogCallback : public virtual CefBaseRefCounted {
 public:
  using Answer = std::function<void(bool, int, const std::vector<CefString>&)>;
  explicit CefFileDialogCallback(Answer answer) : answer_(std::move(answer)) {}
  void Continue(int selectedAcceptFilter, const std::vector<CefString>& filePaths) {
    answer_.Give(true, selectedAcceptFilter, filePaths);
  }
  void Cancel() { answer_.Give(false, 0, std::vector<CefString>()); }

 private:
  OnceAnswer<bool, int, const std::vector<CefString>&> answer_;
  IMPLEMENT_REFCOUNTING(CefFileDialogCallback);
};

class CefBeforeDownloadCallback : public virtual CefBaseRefCounted {
 public:
  explicit CefBeforeDownloadCallback(std::function<void(const CefString&, bool)> answer)
      : answer_(std::move(answer)) {}
  void Continue(const CefString& downloadPath, bool showDialog) {
    answer_.Give(downloadPath, showDialog);
  }

 private:
  OnceAnswer<const CefString&, bool> answer_;
  IMPLEMENT_REFCOUNTING(CefBeforeDownloadCallback);
};

class CefDownloadItemCallback : public virtual CefBaseRefCounted {
 public:
  enum class Action { kCancel, kPause, kResume };
  explicit CefDownloadItemCallback(std::function<void(Action)> act) : act_(std::move(act)) {}
  void Cancel() {
    if (act_) act_(Action::kCancel);
  }
  void Pause() {
    if (act_) act_(Action::kPause);
  }
  void Resume() {
    if (act_) act_(Action::kResume);
  }

 private:
  std::function<void(Action)> act_;
  IMPLEMENT_REFCOUNTING(CefDownloadItemCallback);
};

class CefSelectClientCertificateCallback : public virtual CefBaseRefCounted {
 public:
  CefSelectClientCertificateCallback() = default;

 private:
  IMPLEMENT_REFCOUNTING(CefSelectClientCertificateCallback);
};

// What was under the mouse when a context menu was asked for.
class CefContextMenuParams : public virtual CefBaseRefCounted {
 public:
  struct Data {
    int x = 0;
    int y = 0;
    int typeFlags = CM_TYPEFLAG_NONE;
    CefString linkUrl;
    CefString pageUrl;
    CefString frameUrl;
    CefString selectionText;
    bool editable = false;
  };
  explicit CefContextMenuParams(const Data& data) : data_(data) {}
  int GetXCoord() const { return data_.x; }
  int GetYCoord() const { return data_.y; }
  int GetTypeFlags() const { return data_.typeFlags; }
  CefString GetLinkUrl() const { return data_.linkUrl; }
  CefString GetPageUrl() const { return data_.pageUrl; }
  CefString GetFrameUrl() const { return data_.frameUrl; }
  CefString GetSelectionText() const { return data_.selectionText; }
  bool IsEditable() const { return data_.editable; }

 private:
  Data data_;
  IMPLEMENT_REFCOUNTING(CefContextMenuParams);
};

// The items of a context menu, which handlers may change before it shows.
class CefMenuModel : public virtual CefBaseRefCounted {
 public:
  static CefRefPtr<CefMenuModel> Create() { return new CefMenuModel(); }
  bool Clear();
  size_t GetCount() const;
  bool AddItem(int commandId, const CefString& label);
  bool AddSeparator();
  bool Remove(int commandId);
  int GetCommandIdAt(size_t index) const;
  CefString GetLabelAt(size_t index) const;

 private:
  CefMenuModel() = default;
  struct Item {
    int commandId;
    CefString label;
  };
  mutable std::mutex lock_;
  std::vector<Item> items_;
  IMPLEMENT_REFCOUNTING(CefMenuModel);
};

class CefDownloadItem : public virtual CefBaseRefCounted {
 public:
  struct Data {
    uint32_t id = 0;
    CefString url;
    CefString suggestedFileName;
    CefString fullPath;
    CefString mimeType;
    int64_t totalBytes = -1;
    int64_t receivedBytes = 0;
    bool complete = false;
    bool canceled = false;
  };
  explicit CefDownloadItem(const Data& data) : data_(data) {}
  bool IsValid() const { return true; }
  bool IsInProgress() const { return !data_.complete && !data_.canceled; }
  bool IsComplete() const { return data_.complete; }
  bool IsCanceled() const { return data_.canceled; }
  int64_t GetTotalBytes() const { return data_.totalBytes; }
  int64_t GetReceivedBytes() const { return data_.receivedBytes; }
  uint32_t GetId() const { return data_.id; }
  CefString GetURL() const { return data_.url; }
  CefString GetSuggestedFileName() const { return data_.suggestedFileName; }
  CefString GetFullPath() const { return data_.fullPath; }
  CefString GetMimeType() const { return data_.mimeType; }

 private:
  Data data_;
  IMPLEMENT_REFCOUNTING(CefDownloadItem);
};

class CefDragData : public virtual CefBaseRefCounted {
 public:
  CefDragData() = default;
  CefString GetLinkURL() const { return linkUrl_; }
  CefString GetFragmentText() const { return text_; }

 private:
  CefString linkUrl_;
  CefString text_;
  IMPLEMENT_REFCOUNTING(CefDragData);
};

// Certificates and connection details are not offered by this engine; the types exist so
// that handlers written against the interface compile.
class CefSSLInfo : public virtual CefBaseRefCounted {
 public:
  CefSSLInfo() = default;

 private:
  IMPLEMENT_REFCOUNTING(CefSSLInfo);
};

class CefX509Certificate : public virtual CefBaseRefCounted {
 public:
  CefX509Certificate() = default;

 private:
  IMPLEMENT_REFCOUNTING(CefX509Certificate);
};
