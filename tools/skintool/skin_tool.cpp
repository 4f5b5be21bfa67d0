#include "skin_tool.h"

#include <windows.h>

#include <cwchar>
#include <utility>

#include "layout_check.h"
#include "live_view.h"
#include "runtime/ui_message_loop.h"
#include "skin_render.h"
#include "ui/controls/control_classes.h"
#include "ui/core/markup/xml_document.h"
#include "ui/core/resources/ui_registry.h"

namespace {

constexpr int kAllLoaded = 0;
constexpr int kLoadFailed = 1;
constexpr int kUsageError = 2;
const wchar_t kLanguage[] = L"lang\\zh_CN";

const wchar_t* const kUsage[] = {
    L"usage: skintool check FILE...   report whether each layout file loads",
    L"       skintool dump FILE       print the element tree of a layout file",
    L"       skintool render LAYOUT OUT.png [--size WxH]",
    L"                                draw the window a layout builds into a PNG file",
    L"       skintool show LAYOUT [--size WxH]",
    L"                                show the window a layout builds, rebuilt on every save",
    L"                                (hold Ctrl over a control to name it); close it to end",
    L"  check, render and show take --resources DIR and --theme NAME (default: found from the",
    L"  layout's place below a folder named resources)",
};

}  // namespace

SkinTool::SkinTool(LineWriter out, LineWriter err) : out_(std::move(out)), err_(std::move(err)) {
  // The tool knows every class the client's layouts can name.
  ui::AddControlClasses();
}

int SkinTool::Run(const std::vector<std::wstring>& arguments) {
  if (arguments.empty()) return Usage(kUsageError);
  const std::wstring& command = arguments[0];
  const std::vector<std::wstring> rest(arguments.begin() + 1, arguments.end());
  Options options;
  if (!ParseOptions(rest, &options)) return Usage(kUsageError);
  const size_t fileCount = options.files.size();
  if (command == L"check" && fileCount > 0 && options.width == 0) return Check(options);
  if (command == L"dump" && rest.size() == 1) return Dump(rest[0]);
  if (command == L"render" && fileCount == 2) return Render(options);
  if (command == L"show" && fileCount == 1) return Show(options);
  if (command == L"help" || command == L"-h" || command == L"--help") return Usage(kAllLoaded);
  return Usage(kUsageError);
}

int SkinTool::Usage(int status) {
  for (const wchar_t* line : kUsage) (status == kAllLoaded ? out_ : err_)(line);
  return status;
}

bool SkinTool::ParseOptions(const std::vector<std::wstring>& arguments, Options* options) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    const bool takesValue =
        argument == L"--size" || argument == L"--resources" || argument == L"--theme";
    if (!takesValue) {
      options->files.push_back(argument);
      continue;
    }
    if (++i == arguments.size()) return false;
    const std::wstring& value = arguments[i];
    if (argument == L"--resources") {
      options->resources = value;
    } else if (argument == L"--theme") {
      options->theme = value;
    } else {
      wchar_t* end = nullptr;
      options->width = static_cast<int>(std::wcstol(value.c_str(), &end, 10));
      if (*end != L'x' && *end != L'X') return false;
      options->height = static_cast<int>(std::wcstol(end + 1, &end, 10));
      if (*end != 0 || options->width <= 0 || options->height <= 0) return false;
    }
  }
  return true;
}

int SkinTool::Check(const Options& options) {
  int status = kAllLoaded;
  for (const std::wstring& file : options.files) {
    ui::XmlDocument document;
    if (!Load(file, &document)) {
      status = kLoadFailed;
      continue;
    }
    const SkinLocation where = SkinLocation::Find(file, options.resources, options.theme);
    const std::vector<std::wstring> problems = CheckLayout(document, where);
    for (const std::wstring& problem : problems) out_(file + L": FAIL, " + problem);
    if (!problems.empty()) {
      status = kLoadFailed;
      continue;
    }
    const uint32_t count = document.ElementCount();
    out_(file + L": OK, " + std::to_wstring(count) + (count == 1 ? L" element" : L" elements"));
  }
  return status;
}

int SkinTool::Render(const Options& options) {
  RenderRequest request;
  request.where = SkinLocation::Find(options.files[0], options.resources, options.theme);
  request.output = options.files[1];
  request.width = options.width;
  request.height = options.height;
  const std::wstring failure = RenderLayout(request);
  if (!failure.empty()) {
    out_(options.files[0] + L": FAIL, " + failure);
    return kLoadFailed;
  }
  out_(options.files[0] + L": rendered to " + request.output);
  return kAllLoaded;
}

int SkinTool::Show(const Options& options) {
  LiveView::Options view;
  view.where = SkinLocation::Find(options.files[0], options.resources, options.theme);
  view.width = options.width;
  view.height = options.height;
  const std::wstring& layout = view.where.layout;
  ui::UiRegistry::Startup(view.where.resources, nullptr, view.where.theme, kLanguage);
  int status = kAllLoaded;
  {
    kbase::UIMessageLoop loop;
    bool pollingNoted = false;
    LiveView live(view, [&](const LiveView::Event& event) {
      ReportLiveEvent(layout, event);
      if (event.kind == LiveView::Event::Kind::kClosed) ::PostQuitMessage(0);
    });
    auto notePolling = [&] {
      if (pollingNoted || !live.Watcher().FoundByPollingOnly()) return;
      pollingNoted = true;
      out_(L"change notifications do not arrive here; files are watched by their times");
    };
    if (live.Open()) {
      out_(L"watching " + std::to_wstring(live.WatchedFiles().size()) +
           L" files; close the window to end");
      loop.Run();
      notePolling();
    } else {
      out_(layout + L": FAIL, no window could be made");
      status = kLoadFailed;
    }
  }
  ui::UiRegistry::Shutdown();
  return status;
}

void SkinTool::ReportLiveEvent(const std::wstring& layout, const LiveView::Event& event) {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  wchar_t stamp[48];
  std::swprintf(stamp, 48, L"[%02u:%02u:%02u] ", now.wHour, now.wMinute, now.wSecond);
  wchar_t took[32];
  std::swprintf(took, 32, L" in %.1f ms", event.milliseconds);
  switch (event.kind) {
    case LiveView::Event::Kind::kLoaded:
      out_(stamp + layout + L": loaded" + took);
      break;
    case LiveView::Event::Kind::kReloaded:
      out_(stamp + layout + L": reloaded" + took);
      break;
    case LiveView::Event::Kind::kFailed:
      for (const std::wstring& line : event.failures) out_(stamp + line);
      break;
    case LiveView::Event::Kind::kClosed:
      out_(stamp + layout + L": closed");
      break;
  }
}

bool SkinTool::Load(const std::wstring& file, ui::XmlDocument* document) {
  if (!document->LoadFromFile(file)) {
    out_(LoadFailureLine(file, *document));
    return false;
  }
  // The parser accepts blanks, comments and NULs alone, but a layout needs its root.
  if (document->ElementCount() == 0) {
    out_(file + L": FAIL, no root element");
    return false;
  }
  return true;
}

int SkinTool::Dump(const std::wstring& file) {
  ui::XmlDocument document;
  if (!Load(file, &document)) return kLoadFailed;
  // Walks the links without recursion: a layout may nest deeper than the stack allows.
  ui::XmlNode node = document.GetRoot();
  int depth = 0;
  while (node.IsValid()) {
    DumpElement(node, depth);
    if (node.HasChildren()) {
      node = node.FirstChild();
      ++depth;
      continue;
    }
    while (node.IsValid() && !node.NextSibling().IsValid()) {
      node = node.Parent();
      --depth;
    }
    if (node.IsValid()) node = node.NextSibling();
  }
  return kAllLoaded;
}

void SkinTool::DumpElement(const ui::XmlNode& node, int depth) {
  std::wstring line(static_cast<size_t>(depth) * 2, L' ');
  line += node.Name();
  for (int i = 0; i < node.AttributeCount(); ++i) {
    line += L" " + std::wstring(node.AttributeName(i)) + L"=\"" + Escape(node.AttributeValue(i)) +
            L"\"";
  }
  if (*node.Text() != 0) line += L" \"" + Escape(node.Text()) + L"\"";
  out_(line);
}

std::wstring SkinTool::Escape(const std::wstring& text) {
  std::wstring escaped;
  escaped.reserve(text.size());
  for (wchar_t c : text) {
    switch (c) {
      case L'\\':
        escaped += L"\\\\";
        break;
      case L'"':
        escaped += L"\\\"";
        break;
      case L'\n':
        escaped += L"\\n";
        break;
      case L'\r':
        escaped += L"\\r";
        break;
      case L'\t':
        escaped += L"\\t";
        break;
      default:
        if (c < 0x20) {
          const wchar_t* const digits = L"0123456789ABCDEF";
          escaped += {L'\\', L'x', digits[c >> 4], digits[c & 0xF]};
        } else {
          escaped += c;
        }
    }
  }
  return escaped;
}
