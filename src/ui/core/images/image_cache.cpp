#include "ui/core/images/image_cache.h"

#include <cwchar>
#include <iterator>
#include <utility>

namespace ui {

namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

std::wstring NormalizeSeparators(const std::wstring& path) {
  std::wstring result;
  result.reserve(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    const bool separator = IsSeparator(path[i]);
    result.push_back(separator ? L'\\' : path[i]);
    // The pair collapses to one; a third separator starts a new pair.
    if (separator && i + 1 < path.size() && IsSeparator(path[i + 1])) ++i;
  }
  return result;
}

}  // namespace

std::wstring NormalizeFilePath(const std::wstring& path) {
  // Collapsing the "\\" that opens a network path would point the path at the current
  // drive, so that pair is kept.
  if (path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2])) {
    return L"\\\\" + NormalizeSeparators(path.substr(2));
  }
  return NormalizeSeparators(path);
}

bool ImagePathLess::operator()(const std::wstring& a, const std::wstring& b) const {
  if (a.size() != b.size()) return a.size() < b.size();
  for (size_t i = a.size(); i > 0; --i) {
    if (a[i - 1] != b[i - 1]) return a[i - 1] < b[i - 1];
  }
  return false;
}

ImageCache::~ImageCache() {
  // Images that outlive the cache must not reach back into it when they die.
  for (auto& entry : entries_) {
    if (auto image = entry.second.lock()) image->cached = false;
  }
}

std::shared_ptr<ImageInfo> ImageCache::GetImage(const std::wstring& path) {
  const std::wstring key = NormalizeFilePath(path);
  auto found = entries_.find(key);
  if (found != entries_.end()) return found->second.lock();
  if (!loader_) return nullptr;
  std::unique_ptr<ImageInfo> image = loader_(key);
  if (!image) return nullptr;
  return Insert(key, std::move(image));
}

std::shared_ptr<ImageInfo> ImageCache::FindCachedImage(const std::wstring& path) const {
  auto found = entries_.find(NormalizeFilePath(path));
  return found == entries_.end() ? nullptr : found->second.lock();
}

void ImageCache::Forget(const std::wstring& path) {
  const std::wstring key = NormalizeFilePath(path);
  for (auto it = entries_.begin(); it != entries_.end();) {
    const bool same =
        it->first.size() == key.size() && ::_wcsicmp(it->first.c_str(), key.c_str()) == 0;
    it = same ? entries_.erase(it) : std::next(it);
  }
}

void ImageCache::Remove(const std::wstring& normalisedPath) {
  auto found = entries_.find(normalisedPath);
  // Only the entry of a dead image goes; a live one under the same key is another image.
  if (found != entries_.end() && found->second.expired()) entries_.erase(found);
}

std::shared_ptr<ImageInfo> ImageCache::Insert(const std::wstring& key,
                                              std::unique_ptr<ImageInfo> image) {
  image->path = key;
  std::shared_ptr<ImageInfo> shared(image.release(), [this](ImageInfo* dying) {
    if (dying->cached && !dying->path.empty()) Remove(dying->path);
    delete dying;
  });
  entries_[key] = shared;
  shared->cached = true;
  return shared;
}

}  // namespace ui
