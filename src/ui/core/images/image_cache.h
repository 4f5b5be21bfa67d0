#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ui/core/images/image_info.h"

namespace ui {

// Every "/" becomes "\", then each doubled "\" becomes one, in one pass from the left.
// A leading pair of separators (a network path) is kept as it is.
std::wstring NormalizeFilePath(const std::wstring& path);

// Image paths share long folder prefixes, so they are ordered by length first and then by
// their characters from the end backwards, where they differ soonest.
struct ImagePathLess {
  bool operator()(const std::wstring& a, const std::wstring& b) const;
};

// One decoded image per file, shared while someone holds it. The cache holds no
// ownership: an entry leaves when the last holder lets go of its image.
class ImageCache {
 public:
  // Decodes the file at a normalised full path; nothing when it does not load.
  using Loader = std::function<std::unique_ptr<ImageInfo>(const std::wstring& path)>;

  ImageCache() = default;
  ~ImageCache();
  ImageCache(const ImageCache&) = delete;
  ImageCache& operator=(const ImageCache&) = delete;

  void SetLoader(Loader loader) { loader_ = std::move(loader); }

  // The cached image of the path, loading it when it is not cached. Nothing when it does
  // not load (nothing is cached then), or while its last holder is destroying it.
  std::shared_ptr<ImageInfo> GetImage(const std::wstring& path);
  // The cached image of the path while it is alive; never loads.
  std::shared_ptr<ImageInfo> FindCachedImage(const std::wstring& path) const;
  // Forgets every entry; images still held live on with their holders, and the next
  // request for a path loads it again.
  void Clear() { entries_.clear(); }
  // Forgets the entry of one file (its path compared without regard to case), so that the
  // next request decodes the file again; the image held now lives on with its holders.
  void Forget(const std::wstring& path);
  // Erases the entry of a dying image.
  void Remove(const std::wstring& normalisedPath);

  size_t size() const { return entries_.size(); }

 private:
  std::shared_ptr<ImageInfo> Insert(const std::wstring& key, std::unique_ptr<ImageInfo> image);

  std::map<std::wstring, std::weak_ptr<ImageInfo>, ImagePathLess> entries_;
  Loader loader_;
};

}  // namespace ui
