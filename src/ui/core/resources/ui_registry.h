#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/core/images/image_cache.h"
#include "ui/render/render_types.h"

namespace ui {

class Control;
class DpiScaler;
class IRenderContext;
class IRenderFactory;
class LanguageStrings;
class WindowBuilder;

// A registered font; the record owns its handle.
struct FontRecord {
  ~FontRecord();

  HFONT handle = nullptr;
  std::wstring faceName;
  int size = 0;  // in points, as written in the style file
  bool bold = false;
  bool underline = false;
  bool italic = false;
};

// Makes a control for a class name the builder does not know, or nothing.
using CreateControlCallback = std::function<Control*(const std::wstring& className)>;

// The process-wide state of the UI framework. UI thread only.
class UiRegistry {
 public:
  UiRegistry() = delete;

  // Installs the GDI+ render factory, starts the framework on resourceFolder + theme, builds
  // its "global.xml" (fonts, colours, classes) and reads the strings of resourceFolder + language +
  // "\gdstrings.ini", and starts GDI+. Missing files leave the tables empty.
  static void Startup(const std::wstring& resourceFolder, CreateControlCallback callback,
                      const std::wstring& theme, const std::wstring& language);
  static void Shutdown();

  // Forgets the fonts, colours and classes and builds "global.xml" again, for a theme
  // edited while the framework runs. The old fonts' handles go: windows built before
  // must be built again.
  static void ReloadGlobalStyle();
  // Forgets the cached images and parsed layouts, so that the next use reads their files
  // again; images in use stay with their holders.
  static void ForgetCachedFiles();
  // Forgets the cached image of one file and every parsed layout; the other images stay
  // decoded.
  static void ForgetCachedImage(const std::wstring& path);
  static void ForgetCachedLayouts();

  // A path that does not end in a separator gets "\" appended.
  static void SetResourcePath(const std::wstring& path);
  static std::wstring GetResourcePath();

  static const CreateControlCallback& GetCreateControlCallback();

  // An empty id becomes the number of fonts registered so far. The face "system" stands
  // for the system's UI face. The first font of an id wins: a later one is not kept.
  // Returns the handle registered under the id, or nothing when the font cannot be made.
  static HFONT AddFont(const std::wstring& id, const std::wstring& faceName, int size, bool bold,
                       bool underline, bool italic, bool isDefault);
  // An empty id means the default font. Nothing for an unknown id.
  static const FontRecord* GetFont(const std::wstring& id);
  static std::wstring GetDefaultFontId();
  static void RemoveAllFonts();
  // Makes every registered font again at the scaler's present setting, after the scale
  // changed. The records stay; their old handles go.
  static void RecreateFonts();

  // The value is "#" and eight hexadecimal digits (alpha, red, green, blue); the first
  // character is skipped whatever it is.
  static void AddTextColor(const std::wstring& name, const std::wstring& value);
  // An unknown name reads as 0, transparent, and is remembered as such.
  static UiColor GetTextColor(const std::wstring& name);
  static std::wstring GetDefaultTextColorName();
  static void SetDefaultTextColorName(const std::wstring& name);
  static std::wstring GetDefaultDisabledTextColorName();
  static void SetDefaultDisabledTextColorName(const std::wstring& name);

  static void AddClass(const std::wstring& name, const std::wstring& attributes);
  // Empty for an unknown class.
  static std::wstring GetClassAttributes(const std::wstring& name);

  // Full paths; see ImageCache. Files are decoded by LoadImageFromFile.
  static std::shared_ptr<ImageInfo> GetImage(const std::wstring& path);
  static std::shared_ptr<ImageInfo> FindCachedImage(const std::wstring& path);
  // Replaces the decoder (tests count or fake decodes); an empty one restores the default.
  static void SetImageLoader(ImageCache::Loader loader);

  // Parsed layouts built repeatedly, kept under the file name exactly as given until the
  // process ends.
  static WindowBuilder* FindCachedDocument(const std::wstring& file);
  static void CacheDocument(const std::wstring& file, std::shared_ptr<WindowBuilder> builder);

  // The factory installed between Startup and Shutdown, else nothing.
  static IRenderFactory* GetRenderFactory();
  // A new render context from the installed factory; nothing outside Startup/Shutdown.
  static std::unique_ptr<IRenderContext> CreateRenderContext();

  static DpiScaler& GetDpiScaler();
  static const LanguageStrings& GetLanguageStrings();

 private:
  // Startup reads the global style through the window builder, which sits above the
  // registry, so it is defined beside the builder and runs these two steps around it.
  // Installs the render factory and the lookups into the registry, sets the resource path
  // and keeps the callback.
  static void OpenResources(const std::wstring& resourceFolder, CreateControlCallback callback,
                            const std::wstring& theme);
  // Forgets what "global.xml" defined: fonts, colours, classes, default colour names.
  static void ClearStyle();
  // Reads the language strings, starts GDI+ and registers the common controls.
  static void FinishStartup(const std::wstring& resourceFolder, const std::wstring& language);
};

}  // namespace ui
