#include "engine/devtools/jpeg_decoder.h"

#include <climits>
#include <csetjmp>
#include <cstdio>

// jpeglib.h needs the C library's FILE first.
#include <jpeglib.h>

namespace engine {
namespace {

// Larger frames than any screen shows are refused before anything is allocated for them.
constexpr JDIMENSION kMaxSide = 16384;

// The library reports a fatal error by calling error_exit, which must not return: it jumps
// back to the decode, which then fails. Warnings (damaged data the library would paint
// over in grey) fail the frame too, rather than show a broken picture.
struct ErrorJump {
  jpeg_error_mgr manager;
  std::jmp_buf back;
};

void JumpBack(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->back, 1);
}

void OnMessage(j_common_ptr info, int level) {
  if (level < 0) JumpBack(info);
}

void Silent(j_common_ptr) {}

// Decodes into `rows`, sized for the frame by `resize`; no C++ object lives across the jump.
bool DecodeInto(const unsigned char* data, unsigned long size, std::vector<uint32_t>& rows,
                JDIMENSION& width, JDIMENSION& height) {
  jpeg_decompress_struct info;
  ErrorJump error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JumpBack;
  error.manager.emit_message = OnMessage;
  error.manager.output_message = Silent;
  jpeg_create_decompress(&info);
  if (setjmp(error.back)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_mem_src(&info, data, size);
  jpeg_read_header(&info, TRUE);
  if (info.image_width > kMaxSide || info.image_height > kMaxSide) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  // The window's 32-bit pixels straight from the colour conversion, no copy afterwards.
  info.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&info);
  width = info.output_width;
  height = info.output_height;
  const size_t count = static_cast<size_t>(width) * height;
  if (rows.size() != count) rows.resize(count);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row =
        reinterpret_cast<JSAMPROW>(&rows[static_cast<size_t>(info.output_scanline) * width]);
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

bool JpegDecoder::Decode(const std::string& bytes, std::vector<uint32_t>& pixels, int& width,
                         int& height) {
  if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX)) return false;
  JDIMENSION w = 0;
  JDIMENSION h = 0;
  if (!DecodeInto(reinterpret_cast<const unsigned char*>(bytes.data()),
                  static_cast<unsigned long>(bytes.size()), scratch_, w, h)) {
    return false;
  }
  pixels.swap(scratch_);
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

}  // namespace engine
