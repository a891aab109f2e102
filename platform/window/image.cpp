// Icons and bitmaps: handles backed by the module's .ico / .bmp file bytes.
// Only the sizes are parsed here; renderers decode the pixels themselves.
#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include "platform/window/internal.h"
#include "platform/window/window_tree.h"
#include "platform/window/winuser.h"

namespace {

struct Image {
  bool icon = false;
  std::vector<unsigned char> bytes;  // a copy: handles stay valid whatever the module does
  SIZE size;
  std::vector<platform::IconImage> images;
};

std::map<void*, std::unique_ptr<Image>>& Images() {
  static std::map<void*, std::unique_ptr<Image>> images;
  return images;
}

// Icons are shared per module and id, as LoadIcon returns the same icon.
std::map<std::pair<const void*, int>, HICON>& IconCache() {
  static std::map<std::pair<const void*, int>, HICON> cache;
  return cache;
}

unsigned U16(std::span<const unsigned char> b, std::size_t at) {
  return static_cast<unsigned>(b[at]) | (static_cast<unsigned>(b[at + 1]) << 8);
}

std::uint32_t U32(std::span<const unsigned char> b, std::size_t at) {
  return static_cast<std::uint32_t>(U16(b, at)) |
         (static_cast<std::uint32_t>(U16(b, at + 2)) << 16);
}

const Image* Lookup(void* handle) {
  auto& images = Images();
  auto it = images.find(handle);
  return it == images.end() ? nullptr : it->second.get();
}

int ResourceId(LPCWSTR name) {
  if (name == nullptr || !IS_INTRESOURCE(name)) return -1;
  return static_cast<int>(reinterpret_cast<UINT_PTR>(name));
}

HICON MakeIcon(std::span<const unsigned char> bytes) {
  auto image = std::make_unique<Image>();
  image->icon = true;
  image->bytes.assign(bytes.begin(), bytes.end());
  auto parsed = platform::ParseIconFile(image->bytes);
  if (!parsed || parsed->empty()) return nullptr;
  image->images = std::move(*parsed);
  image->size = SIZE{image->images.front().width, image->images.front().height};
  void* key = image.get();
  Images().emplace(key, std::move(image));
  return static_cast<HICON>(key);
}

HBITMAP MakeBitmap(std::span<const unsigned char> bytes) {
  auto size = platform::ParseBitmapSize(bytes);
  if (!size) return nullptr;
  auto image = std::make_unique<Image>();
  image->bytes.assign(bytes.begin(), bytes.end());
  image->size = *size;
  void* key = image.get();
  Images().emplace(key, std::move(image));
  return static_cast<HBITMAP>(key);
}

}  // namespace

namespace platform {

std::optional<SIZE> ParseBitmapSize(std::span<const unsigned char> bytes) {
  if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
  std::uint32_t headerSize = U32(bytes, 14);
  if (headerSize == 12) {
    return SIZE{static_cast<LONG>(U16(bytes, 18)), static_cast<LONG>(U16(bytes, 20))};
  }
  if (headerSize < 40 || bytes.size() < 14 + headerSize) return std::nullopt;
  auto width = static_cast<std::int32_t>(U32(bytes, 18));
  auto height = static_cast<std::int32_t>(U32(bytes, 22));
  if (width <= 0 || height == 0) return std::nullopt;
  return SIZE{width, height < 0 ? -height : height};
}

std::optional<std::vector<IconImage>> ParseIconFile(std::span<const unsigned char> bytes) {
  if (bytes.size() < 6 || U16(bytes, 0) != 0 || U16(bytes, 2) != 1) return std::nullopt;
  std::size_t count = U16(bytes, 4);
  if (count == 0 || bytes.size() < 6 + 16 * count) return std::nullopt;
  std::vector<IconImage> images;
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t e = 6 + 16 * i;
    IconImage image;
    image.width = bytes[e] == 0 ? 256 : bytes[e];
    image.height = bytes[e + 1] == 0 ? 256 : bytes[e + 1];
    image.bitCount = static_cast<int>(U16(bytes, e + 6));
    std::uint32_t size = U32(bytes, e + 8);
    std::uint32_t offset = U32(bytes, e + 12);
    if (offset > bytes.size() || size > bytes.size() - offset || size < 8) return std::nullopt;
    image.bytes = bytes.subspan(offset, size);
    if (image.bitCount == 0 && size >= 16 && U32(image.bytes, 0) == 40) {
      image.bitCount = static_cast<int>(U16(image.bytes, 14));
    }
    images.push_back(image);
  }
  return images;
}

std::span<const unsigned char> ImageBytes(HBITMAP bitmap) {
  const Image* image = Lookup(bitmap);
  if (image == nullptr || image->icon) return {};
  return image->bytes;
}

std::span<const unsigned char> ImageBytes(HICON icon) {
  const Image* image = Lookup(icon);
  if (image == nullptr || !image->icon) return {};
  return image->bytes;
}

SIZE ImageSize(HBITMAP bitmap) {
  const Image* image = Lookup(bitmap);
  return image == nullptr || image->icon ? SIZE{} : image->size;
}

SIZE ImageSize(HICON icon) {
  const Image* image = Lookup(icon);
  return image == nullptr || !image->icon ? SIZE{} : image->size;
}

std::vector<IconImage> IconImages(HICON icon) {
  const Image* image = Lookup(icon);
  return image == nullptr || !image->icon ? std::vector<IconImage>{} : image->images;
}

}  // namespace platform

HICON LoadIcon(HINSTANCE instance, LPCWSTR name) {
  int id = ResourceId(name);
  const platform::ResourceModule* module = platform::ModuleOf(instance);
  if (id < 0 || module == nullptr) return nullptr;
  auto key = std::make_pair(static_cast<const void*>(module), id);
  auto& cache = IconCache();
  const platform::BinaryResource* res = platform::FindBinaryResource(module->icons, id);
  if (res == nullptr) return nullptr;
  if (auto it = cache.find(key); it != cache.end()) {
    const Image* cached = Lookup(it->second);
    if (cached != nullptr && std::equal(cached->bytes.begin(), cached->bytes.end(),
                                        res->bytes.begin(), res->bytes.end())) {
      return it->second;
    }
  }
  HICON icon = MakeIcon(res->bytes);
  if (icon != nullptr) cache[key] = icon;
  return icon;
}

HBITMAP LoadBitmap(HINSTANCE instance, LPCWSTR name) {
  int id = ResourceId(name);
  const platform::ResourceModule* module = platform::ModuleOf(instance);
  if (id < 0 || module == nullptr) return nullptr;
  const platform::BinaryResource* res = platform::FindBinaryResource(module->bitmaps, id);
  return res == nullptr ? nullptr : MakeBitmap(res->bytes);
}

void* LoadImage(HINSTANCE instance, LPCWSTR name, UINT type, int, int, UINT) {
  if (type == IMAGE_BITMAP) return LoadBitmap(instance, name);
  if (type == IMAGE_ICON) return LoadIcon(instance, name);
  return nullptr;
}

BOOL DeleteObject(HBITMAP bitmap) {
  auto& images = Images();
  auto it = images.find(bitmap);
  if (it == images.end() || it->second->icon) return FALSE;
  images.erase(it);
  return TRUE;
}
