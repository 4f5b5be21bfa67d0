#pragma once

// An object, array or function in a page, found by its path in its context.
// Calls run in the page without being waited for; their results are kept in the page until
// the value goes.

#include <memory>
#include <string>

#include "engine/cef/v8_object.h"
#include "engine/devtools/devtools_connection.h"
#include "engine/devtools/page_path.h"

namespace engine {

class RemoteObject : public V8Object {
 public:
  // `release` is script that runs in the page when the value goes; empty for none.
  RemoteObject(std::weak_ptr<DevToolsConnection> connection, std::string session, int contextId,
               PagePath path, std::string release);
  ~RemoteObject() override;

  const PagePath& Path() const { return path_; }
  std::string Expression() const { return path_.Expression(); }
  int ContextId() const { return contextId_; }

  bool Has(const CefString&) override { return true; }
  CefRefPtr<CefV8Value> Get(const CefString& key) override;
  bool Set(const CefString& key, CefRefPtr<CefV8Value> value) override;
  CefRefPtr<CefV8Value> Call(CefRefPtr<CefV8Context>, CefRefPtr<CefV8Value> self,
                             const CefV8ValueList& arguments, CefString& exception) override;

  // The script expression that stands for a value in a page.
  static std::string ExpressionOf(CefRefPtr<CefV8Value> v);

 private:
  // Evaluates script in the context without waiting for it; false once the engine is gone.
  bool Evaluate(const std::string& expression);

  std::weak_ptr<DevToolsConnection> connection_;
  std::string session_;
  int contextId_;
  PagePath path_;
  std::string release_;
};

}  // namespace engine
