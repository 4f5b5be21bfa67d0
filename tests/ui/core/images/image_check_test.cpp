#include "ui/core/images/image_check.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "ui/core/image_attributes/image_test_util.h"

namespace ui {
namespace {

using image_test::ImagePath;
using image_test::ReadFileBytes;

// The bytes placed so that they end where an inaccessible page begins: a check that reads
// one byte too far faults instead of passing by luck.
class GuardedBytes {
 public:
  explicit GuardedBytes(const std::string& bytes) {
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize;
    const size_t span = (bytes.size() + page - 1) / page * page;
    base_ = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, span + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    if (!base_ || !VirtualProtect(base_ + span, page, PAGE_NOACCESS, &old)) return;
    data_ = base_ + span - bytes.size();
    if (!bytes.empty()) std::memcpy(data_, bytes.data(), bytes.size());
    size_ = bytes.size();
  }
  ~GuardedBytes() {
    if (base_) VirtualFree(base_, 0, MEM_RELEASE);
  }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;

  bool Ready() const { return data_ != nullptr; }
  ImageCheck Check(const ImageLimits& limits = ImageLimits()) const {
    return CheckImageBytes(data_, size_, limits);
  }

 private:
  uint8_t* base_ = nullptr;
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

ImageCheck CheckPath(const std::wstring& path, const ImageLimits& limits = ImageLimits()) {
  GuardedBytes bytes(ReadFileBytes(path));
  EXPECT_TRUE(bytes.Ready());
  return bytes.Check(limits);
}

ImageCheck CheckFile(const wchar_t* file, const ImageLimits& limits = ImageLimits()) {
  return CheckPath(ImagePath(file), limits);
}

const wchar_t* const kGoodImages[] = {
    L"grid.png",         L"opaque_rgba.png",    L"half_pixel.png", L"transparent.png",
    L"quadrants.jpg",    L"columns.bmp",        L"single.gif",     L"delays.gif",
    L"three_frames.gif", L"bench_ninegrid.png",
};

TEST(ImageCheckTest, EveryTestImagePasses) {
  for (const wchar_t* file : kGoodImages) {
    EXPECT_EQ(CheckFile(file), ImageCheck::kOk) << testing::PrintToString(file);
  }
}

struct VerdictCase {
  const wchar_t* file;
  bool large;  // written by the build rather than kept with the test images
  ImageCheck verdict;
};

TEST(ImageCheckTest, FilesGetTheirVerdict) {
  const VerdictCase cases[] = {
      {L"empty.png", false, ImageCheck::kUnknownFormat},
      {L"text.png", false, ImageCheck::kUnknownFormat},
      {L"no_colour_table.gif", false, ImageCheck::kNoColourTable},
      {L"huge_frame.jpg", false, ImageCheck::kBadSize},
      {L"huge_header.png", false, ImageCheck::kBadSize},
      {L"huge_columns.bmp", false, ImageCheck::kBadSize},
      // The header is whole; the decoder finds the missing pixels.
      {L"truncated.png", false, ImageCheck::kOk},
      {L"text_chunks.png", true, ImageCheck::kTooManyChunks},
      {L"frames_20000.gif", true, ImageCheck::kTooManyFrames},
      {L"frames_65536.gif", true, ImageCheck::kTooManyFrames},
      {L"frames_2500x512.gif", true, ImageCheck::kTooMuchDecoded},
      // The largest files within the default limits, each right at one of them.
      {L"limit_frames_512.gif", true, ImageCheck::kOk},
      {L"limit_frames_64x512.gif", true, ImageCheck::kOk},
      {L"limit_4096.png", true, ImageCheck::kOk},
      {L"limit_text_chunks.png", true, ImageCheck::kOk},
      {L"limit_data_chunks.png", true, ImageCheck::kOk},
  };
  for (const VerdictCase& c : cases) {
    const std::wstring path = c.large ? image_test::LargeImagePath(c.file) : ImagePath(c.file);
    EXPECT_EQ(CheckPath(path), c.verdict) << testing::PrintToString(c.file);
  }
}

// Each limit passes a file that reaches it exactly and refuses one just beyond it.
struct LimitCase {
  const wchar_t* file;
  std::function<void(ImageLimits*, uint64_t)> set;
  uint64_t exact;
  ImageCheck beyond;
};

TEST(ImageCheckTest, EachLimitHoldsAtItsBoundary) {
  const uint64_t gridBytes = ReadFileBytes(ImagePath(L"grid.png")).size();
  const LimitCase cases[] = {
      {L"grid.png", [](ImageLimits* l, uint64_t v) { l->maxFileBytes = v; }, gridBytes,
       ImageCheck::kFileTooLarge},
      {L"grid.png", [](ImageLimits* l, uint64_t v) { l->maxSide = uint32_t(v); }, 30,
       ImageCheck::kBadSize},
      {L"grid.png", [](ImageLimits* l, uint64_t v) { l->maxFramePixels = v; }, 900,
       ImageCheck::kBadSize},
      // IHDR, IDAT, IEND.
      {L"grid.png", [](ImageLimits* l, uint64_t v) { l->maxPngChunks = uint32_t(v); }, 3,
       ImageCheck::kTooManyChunks},
      {L"grid.png", [](ImageLimits* l, uint64_t v) { l->maxPngMetadataChunks = uint32_t(v); }, 2,
       ImageCheck::kTooManyChunks},
      {L"quadrants.jpg", [](ImageLimits* l, uint64_t v) { l->maxSide = uint32_t(v); }, 16,
       ImageCheck::kBadSize},
      {L"columns.bmp", [](ImageLimits* l, uint64_t v) { l->maxFramePixels = v; }, 24,
       ImageCheck::kBadSize},
      {L"delays.gif", [](ImageLimits* l, uint64_t v) { l->maxFrames = uint32_t(v); }, 6,
       ImageCheck::kTooManyFrames},
      // Six frames of 4 x 4 at four bytes a pixel.
      {L"delays.gif", [](ImageLimits* l, uint64_t v) { l->maxDecodedBytes = v; }, 384,
       ImageCheck::kTooMuchDecoded},
      {L"single.gif", [](ImageLimits* l, uint64_t v) { l->maxSide = uint32_t(v); }, 8,
       ImageCheck::kBadSize},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    const LimitCase& c = cases[i];
    SCOPED_TRACE("case " + std::to_string(i));
    ImageLimits limits;
    c.set(&limits, c.exact);
    EXPECT_EQ(CheckFile(c.file, limits), ImageCheck::kOk);
    c.set(&limits, c.exact - 1);
    EXPECT_EQ(CheckFile(c.file, limits), c.beyond);
  }
}

// Every cut of every test image is judged from the bytes that are there: the check never
// reads past the end, and a cut inside the header is damage rather than an image.
TEST(ImageCheckTest, CutFilesNeverReadPastTheirEnd) {
  for (const wchar_t* file : kGoodImages) {
    SCOPED_TRACE(testing::PrintToString(file));
    const std::string whole = ReadFileBytes(ImagePath(file));
    ASSERT_FALSE(whole.empty());
    for (size_t length = 0; length < whole.size(); ++length) {
      GuardedBytes cut(whole.substr(0, length));
      ASSERT_TRUE(cut.Ready());
      const ImageCheck verdict = cut.Check();
      if (length < 2) {
        EXPECT_EQ(verdict, ImageCheck::kUnknownFormat) << length;
      } else {
        EXPECT_TRUE(verdict == ImageCheck::kOk || verdict == ImageCheck::kDamaged ||
                    verdict == ImageCheck::kUnknownFormat)
            << length << ": " << static_cast<int>(verdict);
      }
    }
  }
}

TEST(ImageCheckTest, HeadersCutShortAreDamaged) {
  const struct {
    const wchar_t* file;
    size_t keep;
  } cases[] = {
      {L"grid.png", 8 + 12 + 12},  // signature and most of the header chunk
      {L"single.gif", 12},         // inside the screen descriptor
      {L"single.gif", 13 + 24},    // the colour table, but no frame
      {L"quadrants.jpg", 2},       // only the start marker
      {L"quadrants.jpg", 20},      // cut before the frame header
      {L"columns.bmp", 20},        // inside the size
  };
  for (const auto& c : cases) {
    const std::string cut = ReadFileBytes(ImagePath(c.file)).substr(0, c.keep);
    GuardedBytes bytes(cut);
    EXPECT_EQ(bytes.Check(), ImageCheck::kDamaged)
        << testing::PrintToString(c.file) << " cut at " << c.keep;
  }
}

}  // namespace
}  // namespace ui
