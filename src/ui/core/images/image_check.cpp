#include "ui/core/images/image_check.h"

#include <algorithm>
#include <cstring>

namespace ui {

namespace {

// Bounds-checked reads from the file's bytes. Callers test Has() before reading.
class ByteView {
 public:
  ByteView(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t size() const { return size_; }
  bool Has(uint64_t offset, uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }
  bool Matches(size_t offset, const char* text, size_t length) const {
    return Has(offset, length) && std::memcmp(data_ + offset, text, length) == 0;
  }
  uint8_t At(size_t offset) const { return data_[offset]; }
  uint32_t Le16(size_t offset) const { return data_[offset] | data_[offset + 1] << 8; }
  uint32_t Le32(size_t offset) const { return Le16(offset) | Le16(offset + 2) << 16; }
  uint32_t Be16(size_t offset) const { return data_[offset] << 8 | data_[offset + 1]; }
  uint32_t Be32(size_t offset) const { return Be16(offset) << 16 | Be16(offset + 2); }

 private:
  const uint8_t* data_;
  size_t size_;
};

bool WithinLimits(uint64_t width, uint64_t height, const ImageLimits& limits) {
  return width <= limits.maxSide && height <= limits.maxSide &&
         width * height <= limits.maxFramePixels;
}

// The size of a whole image, which must hold at least one pixel.
ImageCheck CheckSize(uint64_t width, uint64_t height, const ImageLimits& limits) {
  const bool fits = width > 0 && height > 0 && WithinLimits(width, height, limits);
  return fits ? ImageCheck::kOk : ImageCheck::kBadSize;
}

// ---------------------------------------------------------------------------- PNG

constexpr size_t kPngSignatureSize = 8;
constexpr size_t kPngChunkOverhead = 12;  // length, type, CRC

bool IsPngImageData(const ByteView& bytes, size_t chunk) {
  return bytes.Matches(chunk + 4, "IDAT", 4);
}

// Counts the chunks up to IEND or the end of the bytes; the decoder reports a cut file.
ImageCheck CheckPngChunks(const ByteView& bytes, const ImageLimits& limits) {
  uint32_t chunks = 0;
  uint32_t metadata = 0;
  uint64_t offset = kPngSignatureSize;
  while (bytes.Has(offset, kPngChunkOverhead)) {
    if (++chunks > limits.maxPngChunks) return ImageCheck::kTooManyChunks;
    if (!IsPngImageData(bytes, offset) && ++metadata > limits.maxPngMetadataChunks) {
      return ImageCheck::kTooManyChunks;
    }
    if (bytes.Matches(offset + 4, "IEND", 4)) break;
    offset += kPngChunkOverhead + bytes.Be32(offset);
  }
  return ImageCheck::kOk;
}

ImageCheck CheckPng(const ByteView& bytes, const ImageLimits& limits) {
  // The first chunk must be the 13-byte header, which starts with width and height.
  const size_t header = kPngSignatureSize;
  if (!bytes.Has(header, kPngChunkOverhead + 13) || bytes.Be32(header) != 13 ||
      !bytes.Matches(header + 4, "IHDR", 4)) {
    return ImageCheck::kDamaged;
  }
  const ImageCheck size = CheckSize(bytes.Be32(header + 8), bytes.Be32(header + 12), limits);
  return size != ImageCheck::kOk ? size : CheckPngChunks(bytes, limits);
}

// ---------------------------------------------------------------------------- GIF

constexpr size_t kGifScreenEnd = 13;  // signature and logical screen descriptor
constexpr size_t kGifFrameDescriptor = 9;

// Bytes of a colour table announced by a packed field, or 0 when there is none.
uint64_t ColourTableBytes(uint8_t packed) {
  return (packed & 0x80) ? 3ull << ((packed & 7) + 1) : 0;
}

// The offset after a run of data sub-blocks, or beyond the end when it is cut short.
uint64_t SkipSubBlocks(const ByteView& bytes, uint64_t offset) {
  while (bytes.Has(offset, 1)) {
    const uint8_t length = bytes.At(offset);
    offset += 1 + length;
    if (length == 0) return offset;
  }
  return bytes.size() + 1;
}

// What a GIF's frames add up to, counted block by block without decoding.
struct GifWalk {
  ImageCheck verdict = ImageCheck::kOk;
  uint32_t frames = 0;
  uint64_t decodedBytes = 0;
};

void AddGifFrame(const ByteView& bytes, size_t descriptor, uint64_t screenPixels, bool globalTable,
                 const ImageLimits& limits, GifWalk* walk) {
  const uint32_t width = bytes.Le16(descriptor + 4);
  const uint32_t height = bytes.Le16(descriptor + 6);
  const uint8_t packed = bytes.At(descriptor + 8);
  if (++walk->frames > limits.maxFrames) {
    walk->verdict = ImageCheck::kTooManyFrames;
  } else if (!WithinLimits(width, height, limits)) {  // a frame may be empty
    walk->verdict = ImageCheck::kBadSize;
  } else if (!globalTable && ColourTableBytes(packed) == 0) {
    walk->verdict = ImageCheck::kNoColourTable;
  } else {
    // Each frame becomes a bitmap of the whole image; a larger frame is decoded whole first.
    walk->decodedBytes += 4 * std::max<uint64_t>(screenPixels, uint64_t{width} * height);
    if (walk->decodedBytes > limits.maxDecodedBytes) walk->verdict = ImageCheck::kTooMuchDecoded;
  }
}

GifWalk WalkGif(const ByteView& bytes, uint64_t screenPixels, bool globalTable, uint64_t offset,
                const ImageLimits& limits) {
  GifWalk walk;
  // Stops at the trailer, at an unknown block or where the bytes end, as decoders do.
  while (walk.verdict == ImageCheck::kOk && bytes.Has(offset, 1)) {
    const uint8_t block = bytes.At(offset);
    if (block == 0x21) {  // extension: label, then sub-blocks
      offset = SkipSubBlocks(bytes, offset + 2);
    } else if (block == 0x2C && bytes.Has(offset, kGifFrameDescriptor + 1)) {
      AddGifFrame(bytes, offset + 1, screenPixels, globalTable, limits, &walk);
      const uint8_t packed = bytes.At(offset + kGifFrameDescriptor);
      // After the descriptor and its colour table: the LZW code size, then sub-blocks.
      offset =
          SkipSubBlocks(bytes, offset + 1 + kGifFrameDescriptor + ColourTableBytes(packed) + 1);
    } else {
      break;
    }
  }
  return walk;
}

ImageCheck CheckGif(const ByteView& bytes, const ImageLimits& limits) {
  if (!bytes.Has(0, kGifScreenEnd)) return ImageCheck::kDamaged;
  const uint32_t width = bytes.Le16(6);
  const uint32_t height = bytes.Le16(8);
  const ImageCheck size = CheckSize(width, height, limits);
  if (size != ImageCheck::kOk) return size;
  const uint8_t packed = bytes.At(10);
  const GifWalk walk = WalkGif(bytes, uint64_t{width} * height, ColourTableBytes(packed) != 0,
                               kGifScreenEnd + ColourTableBytes(packed), limits);
  if (walk.verdict != ImageCheck::kOk) return walk.verdict;
  return walk.frames == 0 ? ImageCheck::kDamaged : ImageCheck::kOk;
}

// ---------------------------------------------------------------------------- JPEG

// Start-of-frame markers hold the size: C0 to CF except DHT (C4), JPG (C8) and DAC (CC).
bool IsStartOfFrame(uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool IsStandaloneMarker(uint8_t marker) {
  return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
}

// Walks the segments up to the scan; every frame header before it must hold a fitting size.
ImageCheck CheckJpeg(const ByteView& bytes, const ImageLimits& limits) {
  bool sized = false;
  uint64_t offset = 2;
  while (bytes.Has(offset, 2) && bytes.At(offset) == 0xFF) {
    const uint8_t marker = bytes.At(offset + 1);
    offset += 2;
    if (marker == 0xFF) {  // fill byte before the marker
      --offset;
      continue;
    }
    if (IsStandaloneMarker(marker)) continue;
    if (marker == 0xDA || marker == 0xD9 || !bytes.Has(offset, 2)) break;
    const uint32_t length = bytes.Be16(offset);
    if (IsStartOfFrame(marker)) {
      if (length < 8 || !bytes.Has(offset, 7)) return ImageCheck::kDamaged;
      const ImageCheck size = CheckSize(bytes.Be16(offset + 5), bytes.Be16(offset + 3), limits);
      if (size != ImageCheck::kOk) return size;
      sized = true;
    }
    offset += length;
  }
  return sized ? ImageCheck::kOk : ImageCheck::kDamaged;
}

// ---------------------------------------------------------------------------- BMP

constexpr size_t kBmpInfoHeader = 14;
constexpr uint32_t kBmpCoreHeaderSize = 12;  // 16-bit width and height

ImageCheck CheckBmp(const ByteView& bytes, const ImageLimits& limits) {
  if (!bytes.Has(kBmpInfoHeader, 4)) return ImageCheck::kDamaged;
  const uint32_t infoSize = bytes.Le32(kBmpInfoHeader);
  const size_t width = kBmpInfoHeader + 4;
  if (infoSize == kBmpCoreHeaderSize) {
    if (!bytes.Has(width, 4)) return ImageCheck::kDamaged;
    return CheckSize(bytes.Le16(width), bytes.Le16(width + 2), limits);
  }
  if (infoSize < 16 || !bytes.Has(width, 8)) return ImageCheck::kDamaged;
  // Signed: a negative height stores the rows top-down.
  const int64_t height = static_cast<int32_t>(bytes.Le32(width + 4));
  return CheckSize(static_cast<int32_t>(bytes.Le32(width)), height < 0 ? -height : height, limits);
}

}  // namespace

ImageCheck CheckImageBytes(const uint8_t* data, size_t size, const ImageLimits& limits) {
  if (size > limits.maxFileBytes) return ImageCheck::kFileTooLarge;
  const ByteView bytes(data, size);
  if (bytes.Matches(0, "\x89PNG\r\n\x1a\n", 8)) return CheckPng(bytes, limits);
  if (bytes.Matches(0, "GIF87a", 6) || bytes.Matches(0, "GIF89a", 6)) {
    return CheckGif(bytes, limits);
  }
  if (bytes.Matches(0, "\xFF\xD8", 2)) return CheckJpeg(bytes, limits);
  if (bytes.Matches(0, "BM", 2)) return CheckBmp(bytes, limits);
  return ImageCheck::kUnknownFormat;
}

}  // namespace ui
