#include "ui/core/resources/ui_registry.h"

#include <windows.h>

// Left out of the lean windows.h, but GDI+ needs it.
#include <objidl.h>

#include <gdiplus.h>

#include <cwchar>
#include <map>
#include <utility>

#include "ui/core/images/image_loader.h"
#include "ui/core/markup/xml_document.h"
#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/language_strings.h"
#include "ui/render/i_render_context.h"
#include "ui/render/render_factory_gdiplus.h"
#include "ui/render/render_lookup.h"

namespace ui {
namespace {

constexpr wchar_t kLanguageFile[] = L"\\gdstrings.ini";
constexpr wchar_t kSystemFace[] = L"system";
constexpr wchar_t kVistaFace[] = L"\u5FAE\u8F6F\u96C5\u9ED1";  // Microsoft YaHei
constexpr wchar_t kLegacyFace[] = L"\u65B0\u5B8B\u4F53";       // NSimSun
constexpr int kInitCommonControlsOrdinal = 17;

struct RegistryState {
  std::wstring resourcePath;
  CreateControlCallback createControlCallback;
  std::map<std::wstring, std::unique_ptr<FontRecord>> fonts;
  std::wstring defaultFontId;
  std::map<std::wstring, UiColor> textColors;
  std::wstring defaultTextColorName = L"textdefaultcolor";
  std::wstring defaultDisabledTextColorName = L"textdefaultdisablecolor";
  std::map<std::wstring, std::wstring> classes;
  std::map<std::wstring, std::shared_ptr<WindowBuilder>> documents;
  DpiScaler dpiScaler;
  LanguageStrings language;
  std::unique_ptr<IRenderFactory> renderFactory;
  ULONG_PTR gdiplusToken = 0;
  ImageCache images;

  RegistryState() { images.SetLoader(&LoadImageFromFile); }
};

RegistryState& State() {
  static RegistryState state;
  return state;
}

bool IsVistaOrLater() {
  static const bool vistaOrLater = [] {
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    version.dwMajorVersion = 6;
    version.dwMinorVersion = 0;
    version.wServicePackMajor = 0;
    DWORDLONG conditions = 0;
    conditions = VerSetConditionMask(conditions, VER_MAJORVERSION, VER_GREATER_EQUAL);
    conditions = VerSetConditionMask(conditions, VER_MINORVERSION, VER_GREATER_EQUAL);
    conditions = VerSetConditionMask(conditions, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&version, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                              conditions) != FALSE;
  }();
  return vistaOrLater;
}

std::wstring ResolveFace(const std::wstring& faceName) {
  if (faceName != kSystemFace) return faceName;
  return IsVistaOrLater() ? kVistaFace : kLegacyFace;
}

// Derived from the stock GUI font, so what is not asked for stays as the system has it.
HFONT CreateUiFont(const std::wstring& face, int size, bool bold, bool underline, bool italic) {
  LOGFONTW font = {};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  font.lfFaceName[LF_FACESIZE - 1] = L'\0';
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfHeight = -State().dpiScaler.ScaleLength(size);
  if (bold) font.lfWeight += FW_BOLD;
  if (underline) font.lfUnderline = TRUE;
  if (italic) font.lfItalic = TRUE;
  return CreateFontIndirectW(&font);
}

void StartGdiplus(RegistryState& state) {
  if (state.gdiplusToken != 0) return;
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&state.gdiplusToken, &input, nullptr) != Gdiplus::Ok) {
    state.gdiplusToken = 0;
  }
}

void StopGdiplus(RegistryState& state) {
  if (state.gdiplusToken == 0) return;
  Gdiplus::GdiplusShutdown(state.gdiplusToken);
  state.gdiplusToken = 0;
}

// The tooltip window needs the common controls registered. The library stays loaded for
// the rest of the process, as the tooltips do.
void InitCommonControlsLibrary() {
  HMODULE library = GetModuleHandleW(L"comctl32.dll");
  if (!library) library = LoadLibraryW(L"comctl32.dll");
  if (!library) return;
  FARPROC entry = GetProcAddress(library, MAKEINTRESOURCEA(kInitCommonControlsOrdinal));
  if (!entry) return;
  using InitFunction = void(WINAPI*)();
  reinterpret_cast<InitFunction>(reinterpret_cast<void*>(entry))();
}

bool FindRenderFont(const std::wstring& id, RenderFont* font) {
  const FontRecord* record = UiRegistry::GetFont(id);
  if (!record) return false;
  *font = RenderFont{record->handle, record->faceName, record->size};
  return true;
}

// The render context reads fonts, colours and scaling through these while the framework
// runs.
void InstallRenderLookups() {
  RenderLookup::SetFontLookup(&FindRenderFont);
  RenderLookup::SetColorLookup(&UiRegistry::GetTextColor);
  RenderLookup::SetRectScaler([](const UiRect& rect) { return State().dpiScaler.ScaleRect(rect); });
}

void RemoveRenderLookups() {
  RenderLookup::SetFontLookup(nullptr);
  RenderLookup::SetColorLookup(nullptr);
  RenderLookup::SetRectScaler(nullptr);
}

}  // namespace

FontRecord::~FontRecord() {
  if (handle) DeleteObject(handle);
}

void UiRegistry::OpenResources(const std::wstring& resourceFolder, CreateControlCallback callback,
                               const std::wstring& theme) {
  RegistryState& state = State();
  state.renderFactory = std::make_unique<RenderFactory_GdiPlus>();
  InstallRenderLookups();
  SetResourcePath(resourceFolder + theme);
  XmlDocument::SetResourceFolderFunction(&UiRegistry::GetResourcePath);
  state.createControlCallback = std::move(callback);
}

void UiRegistry::FinishStartup(const std::wstring& resourceFolder, const std::wstring& language) {
  RegistryState& state = State();
  state.language.LoadFromFile(resourceFolder + language + kLanguageFile);
  StartGdiplus(state);
  InitCommonControlsLibrary();
}

void UiRegistry::Shutdown() {
  RegistryState& state = State();
  state.renderFactory.reset();
  RemoveRenderLookups();
  XmlDocument::SetResourceFolderFunction(nullptr);
  RemoveAllFonts();
  StopGdiplus(state);
}

void UiRegistry::ClearStyle() {
  RegistryState& state = State();
  RemoveAllFonts();
  state.defaultFontId.clear();
  state.textColors.clear();
  state.defaultTextColorName = L"textdefaultcolor";
  state.defaultDisabledTextColorName = L"textdefaultdisablecolor";
  state.classes.clear();
}

void UiRegistry::ForgetCachedFiles() {
  RegistryState& state = State();
  state.images.Clear();
  state.documents.clear();
}

void UiRegistry::ForgetCachedImage(const std::wstring& path) {
  State().images.Forget(path);
}

void UiRegistry::ForgetCachedLayouts() {
  State().documents.clear();
}

void UiRegistry::SetResourcePath(const std::wstring& path) {
  std::wstring& stored = State().resourcePath;
  stored = path;
  if (!stored.empty() && stored.back() != L'\\' && stored.back() != L'/') stored += L'\\';
}

std::wstring UiRegistry::GetResourcePath() {
  return State().resourcePath;
}

const CreateControlCallback& UiRegistry::GetCreateControlCallback() {
  return State().createControlCallback;
}

HFONT UiRegistry::AddFont(const std::wstring& id, const std::wstring& faceName, int size, bool bold,
                          bool underline, bool italic, bool isDefault) {
  RegistryState& state = State();
  const std::wstring fontId = id.empty() ? std::to_wstring(state.fonts.size()) : id;
  const std::wstring face = ResolveFace(faceName);
  HFONT handle = CreateUiFont(face, size, bold, underline, italic);
  if (!handle) return nullptr;
  auto record =
      std::unique_ptr<FontRecord>(new FontRecord{handle, face, size, bold, underline, italic});
  // An id already taken keeps its font; the record left behind deletes the new handle.
  auto registered = state.fonts.try_emplace(fontId, std::move(record)).first;
  if (isDefault) state.defaultFontId = fontId;
  return registered->second->handle;
}

const FontRecord* UiRegistry::GetFont(const std::wstring& id) {
  RegistryState& state = State();
  auto found = state.fonts.find(id.empty() ? state.defaultFontId : id);
  return found == state.fonts.end() ? nullptr : found->second.get();
}

std::wstring UiRegistry::GetDefaultFontId() {
  return State().defaultFontId;
}

void UiRegistry::RemoveAllFonts() {
  State().fonts.clear();
}

void UiRegistry::RecreateFonts() {
  for (auto& entry : State().fonts) {
    FontRecord& record = *entry.second;
    const HFONT handle =
        CreateUiFont(record.faceName, record.size, record.bold, record.underline, record.italic);
    // A font that cannot be made again keeps the one it had.
    if (!handle) continue;
    if (record.handle) DeleteObject(record.handle);
    record.handle = handle;
  }
}

void UiRegistry::AddTextColor(const std::wstring& name, const std::wstring& value) {
  const wchar_t* digits = value.empty() ? L"" : value.c_str() + 1;
  State().textColors[name] = static_cast<UiColor>(std::wcstoul(digits, nullptr, 16));
}

UiColor UiRegistry::GetTextColor(const std::wstring& name) {
  return State().textColors[name];
}

std::wstring UiRegistry::GetDefaultTextColorName() {
  return State().defaultTextColorName;
}

void UiRegistry::SetDefaultTextColorName(const std::wstring& name) {
  State().defaultTextColorName = name;
}

std::wstring UiRegistry::GetDefaultDisabledTextColorName() {
  return State().defaultDisabledTextColorName;
}

void UiRegistry::SetDefaultDisabledTextColorName(const std::wstring& name) {
  State().defaultDisabledTextColorName = name;
}

void UiRegistry::AddClass(const std::wstring& name, const std::wstring& attributes) {
  State().classes[name] = attributes;
}

std::wstring UiRegistry::GetClassAttributes(const std::wstring& name) {
  const auto& classes = State().classes;
  auto found = classes.find(name);
  return found == classes.end() ? std::wstring() : found->second;
}

std::shared_ptr<ImageInfo> UiRegistry::GetImage(const std::wstring& path) {
  return State().images.GetImage(path);
}

std::shared_ptr<ImageInfo> UiRegistry::FindCachedImage(const std::wstring& path) {
  return State().images.FindCachedImage(path);
}

void UiRegistry::SetImageLoader(ImageCache::Loader loader) {
  State().images.SetLoader(loader ? std::move(loader) : ImageCache::Loader(&LoadImageFromFile));
}

WindowBuilder* UiRegistry::FindCachedDocument(const std::wstring& file) {
  const auto& documents = State().documents;
  auto found = documents.find(file);
  return found == documents.end() ? nullptr : found->second.get();
}

void UiRegistry::CacheDocument(const std::wstring& file, std::shared_ptr<WindowBuilder> builder) {
  State().documents[file] = std::move(builder);
}

IRenderFactory* UiRegistry::GetRenderFactory() {
  return State().renderFactory.get();
}

std::unique_ptr<IRenderContext> UiRegistry::CreateRenderContext() {
  IRenderFactory* factory = GetRenderFactory();
  return factory ? factory->CreateRenderContext() : nullptr;
}

DpiScaler& UiRegistry::GetDpiScaler() {
  return State().dpiScaler;
}

const LanguageStrings& UiRegistry::GetLanguageStrings() {
  return State().language;
}

}  // namespace ui
