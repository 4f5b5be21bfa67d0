#pragma once

#include <cstddef>
#include <cstdint>

namespace ui {

// What an image file may cost before the platform's decoder is given it. The decoder
// trusts the headers: a huge size or thousands of frames cost seconds and hundreds of
// megabytes, and some malformed files crash it. The defaults are far above what a skin
// needs (see the README).
struct ImageLimits {
  uint64_t maxFileBytes = 32ull << 20;
  // Either side, in pixels.
  uint32_t maxSide = 16384;
  // Pixels of one frame: 4096 x 4096.
  uint64_t maxFramePixels = 16ull << 20;
  // Frames of an animated GIF; each becomes its own bitmap.
  uint32_t maxFrames = 512;
  // Every frame as a 32-bit bitmap of the image's size: an animation may take as much
  // memory as the largest still image.
  uint64_t maxDecodedBytes = 64ull << 20;
  // PNG chunks other than image data: text, metadata and unknown ones. The decoder's time
  // grows with the square of their number.
  uint32_t maxPngMetadataChunks = 256;
  // PNG chunks in all, image data included.
  uint32_t maxPngChunks = 65536;
};

// The verdict on a file's bytes; only kOk may reach the decoder.
enum class ImageCheck {
  kOk,
  kUnknownFormat,  // not PNG, GIF, JPEG or BMP by its signature
  kFileTooLarge,
  kBadSize,        // a side of 0 or beyond the limits, or too many pixels
  kNoColourTable,  // a GIF frame with neither its own nor a global colour table
  kTooManyFrames,
  kTooMuchDecoded,  // all frames together
  kTooManyChunks,
  kDamaged,  // the header is cut short or holds no image
};

// Checks what the headers of an image file promise against the limits. Reads only the
// given bytes; cheap even for large files, since pixel data is skipped, not decoded.
ImageCheck CheckImageBytes(const uint8_t* data, size_t size,
                           const ImageLimits& limits = ImageLimits());

}  // namespace ui
