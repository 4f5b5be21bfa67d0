#include "engine/devtools/renderer_bridge.h"

#include "engine/cef/v8_object.h"
#include "engine/core/browser_impl.h"
#include "engine/core/engine_core.h"
#include "engine/devtools/remote_object.h"
#include "engine/transport/websocket_client.h"

namespace engine {

RendererBridge::RendererBridge(std::shared_ptr<DevToolsConnection> connection,
                               std::shared_ptr<const SessionTable> sessions)
    : connection_(std::move(connection)), sessions_(std::move(sessions)) {}

void RendererBridge::Receive(DevToolsConnection::Event event) {
  auto core = EngineCore::Get();
  if (!core) return;
  auto self = shared_from_this();
  core->RendererThread().Post([self, event] { Guarded([&] { self->OnEvent(*event); }); });
}

void RendererBridge::OnEvent(const json& event) {
  const std::string method = Text(event, "method");
  const std::string session = Text(event, "sessionId");
  const json& params = Member(event, "params");
  if (method == "Runtime.executionContextCreated") {
    ContextCreated(session, Member(params, "context"));
  } else if (method == "Runtime.executionContextDestroyed") {
    ReleaseContext(session, params.value("executionContextId", 0));
  } else if (method == "Runtime.executionContextsCleared") {
    std::vector<int> ids;
    for (auto& entry : contexts_) {
      if (entry.first.first == session) ids.push_back(entry.first.second);
    }
    for (int id : ids) ReleaseContext(session, id);
  } else if (method == "Fetch.requestPaused") {
    NativeCall(session, params);
  }
}

void RendererBridge::ContextCreated(const std::string& session, const json& context) {
  const json& aux = Member(context, "auxData");
  SessionTable::Entry info;
  if (!Flag(aux, "isDefault") || !sessions_->Find(session, info)) return;
  auto core = EngineCore::Get();
  CefRefPtr<BrowserImpl> browser = core ? core->FindBrowser(info.browserId) : nullptr;
  if (!browser) return;
  const int id = context.value("id", 0);
  const std::string frameId = Text(aux, "frameId");
  const bool main = frameId == info.targetId;
  CefRefPtr<FrameImpl> frame = browser->MainFrame();
  if (!main) {
    CefRefPtr<FrameImpl>& sub = frames_[{session, frameId}];
    if (!sub) sub = new FrameImpl(info.browserId, core->NextFrameId(), false);
    frame = sub;
  }
  auto global = CefV8Value::CreateFor(
      CefV8Value::Kind::kObject,
      std::make_shared<RemoteObject>(connection_, session, id, PagePath::Global(), std::string()));
  CefRefPtr<CefV8Context> v8 =
      new CefV8Context(std::make_shared<V8ContextData>(id, info.browserId, frame.get(), global));
  contexts_[{session, id}] = v8;
  frameContexts_[{session, frameId}] = id;
  if (main) browser->SetMainContext(v8);
  core->Renderer().ContextCreated(v8);
}

void RendererBridge::ReleaseContext(const std::string& session, int id) {
  auto it = contexts_.find({session, id});
  if (it == contexts_.end()) return;
  CefRefPtr<CefV8Context> context = it->second;
  contexts_.erase(it);
  auto core = EngineCore::Get();
  if (!core) return;
  CefRefPtr<BrowserImpl> browser = core->FindBrowser(context->Data().browserId);
  if (browser && browser->MainContext() && browser->MainContext()->IsSame(context)) {
    browser->SetMainContext(nullptr);
  }
  core->Renderer().ContextReleased(context);
}

CefRefPtr<CefV8Value> RendererBridge::Decode(const std::string& session, int contextId,
                                             const json& value) {
  const std::string type = Text(value, "t");
  if (type == "n") return CefV8Value::CreateNull();
  if (type == "b") return CefV8Value::CreateBool(value.value("v", false));
  if (type == "s") return CefV8Value::CreateString(Text(value, "v"));
  if (type == "d") {
    const double d = value.value("v", 0.0);
    if (d == static_cast<double>(static_cast<int32_t>(d)) && d >= -2147483648.0 &&
        d <= 2147483647.0) {
      return CefV8Value::CreateInt(static_cast<int32_t>(d));
    }
    return CefV8Value::CreateDouble(d);
  }
  if (type == "f" || type == "o" || type == "a") {
    const int id = value.value("id", 0);
    const auto kind = type == "f"   ? CefV8Value::Kind::kFunction
                      : type == "a" ? CefV8Value::Kind::kArray
                                    : CefV8Value::Kind::kObject;
    return CefV8Value::CreateFor(
        kind,
        std::make_shared<RemoteObject>(connection_, session, contextId, PagePath::Kept(id),
                                       "window.__engine.refs.delete(" + std::to_string(id) + ")"));
  }
  return CefV8Value::CreateUndefined();
}

json RendererBridge::Encode(CefRefPtr<CefV8Value> value) {
  if (!value || value->IsUndefined()) return {{"t", "u"}};
  if (value->IsNull()) return {{"t", "n"}};
  if (value->IsBool()) return {{"t", "b"}, {"v", value->GetBoolValue()}};
  if (value->IsInt() || value->IsUInt() || value->IsDouble()) {
    return {{"t", "d"}, {"v", value->GetDoubleValue()}};
  }
  if (value->IsString()) return {{"t", "s"}, {"v", value->GetStringValue().ToString()}};
  if (auto* remote = dynamic_cast<RemoteObject*>(value->Object())) return remote->Path().Walk();
  return {{"t", "u"}};
}

// A page called a native function: its synchronous request waits here for the answer.
void RendererBridge::NativeCall(const std::string& session, const json& params) {
  const std::string text = Dump(Answer(session, params));
  connection_->Send(
      "Fetch.fulfillRequest",
      {{"requestId", Text(params, "requestId")},
       {"responseCode", 200},
       {"responseHeaders",
        json::array({{{"name", "Content-Type"}, {"value", "application/json; charset=utf-8"}},
                     {{"name", "Access-Control-Allow-Origin"}, {"value", "*"}}})},
       {"body", Base64Encode(text)}},
      session);
}

// The call's result or exception, run in the context of the frame that made it.
json RendererBridge::Answer(const std::string& session, const json& params) {
  json answer;
  const json& request = Member(params, "request");
  std::string body = Text(request, "postData");
  auto entries = request.find("postDataEntries");
  if (body.empty() && entries != request.end() && entries->is_array()) {
    for (const json& e : *entries) body += Base64Decode(Text(e, "bytes"));
  }
  json call = ParseJson(body);
  auto frame = frameContexts_.find({session, Text(params, "frameId")});
  auto context =
      frame == frameContexts_.end() ? contexts_.end() : contexts_.find({session, frame->second});
  auto core = EngineCore::Get();
  if (!call.is_object() || context == contexts_.end() || !core) {
    answer["exception"] = "The native function cannot be called here.";
    return answer;
  }
  CefV8ValueList arguments;
  auto args = call.find("args");
  if (args != call.end() && args->is_array()) {
    for (const json& a : *args) arguments.push_back(Decode(session, frame->second, a));
  }
  NativeCallResult result =
      core->Renderer().CallNative(context->second, Text(call, "name"), arguments);
  if (!result.exception.empty()) {
    answer["exception"] = result.exception.ToString();
  } else {
    answer["value"] = Encode(result.value);
  }
  return answer;
}

}  // namespace engine
