// GDI+ runs for the whole test program, as it does for the whole client.
#include <objidl.h>
#include <windows.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

namespace {

class GdiplusEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::Ok, Gdiplus::GdiplusStartup(&token_, &input, nullptr));
  }
  void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

 private:
  ULONG_PTR token_ = 0;
};

testing::Environment* const environment = testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

}  // namespace
