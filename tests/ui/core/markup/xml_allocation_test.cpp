// Counts the allocations made through operator new while a document loads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "ui/core/markup/xml_document.h"

namespace {

int g_allocations = 0;

void* Allocate(size_t size) {
  ++g_allocations;
  return std::malloc(size != 0 ? size : 1);
}

}  // namespace

void* operator new(size_t size) {
  if (void* block = Allocate(size)) return block;
  throw std::bad_alloc();
}
void* operator new[](size_t size) {
  return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete[](void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, size_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, size_t) noexcept {
  std::free(block);
}

namespace {

// The text buffer is the one block a load allocates this way; the element table grows
// as one array of its own, and nothing is allocated per element or attribute. A reload
// reuses the buffer when the new text fits.
TEST(XmlAllocationTest, LoadAllocatesOnlyTheTextBuffer) {
  std::wstring text = L"<r>";
  for (int i = 0; i < 3000; ++i) text += L"<c a=\"1\" b=\"x&amp;y\">t</c>";
  text += L"</r>";
  const std::string bytes(text.begin(), text.end());
  ui::XmlDocument document;
  g_allocations = 0;
  ASSERT_TRUE(document.LoadFromText(text.c_str()));
  EXPECT_EQ(g_allocations, 1);
  ui::XmlDocument other;
  g_allocations = 0;
  ASSERT_TRUE(other.LoadFromBytes(bytes.data(), bytes.size()));
  EXPECT_EQ(g_allocations, 1);
  g_allocations = 0;
  ui::XmlNode node = document.GetRoot().FirstChild();
  for (; node.IsValid(); node = node.NextSibling()) node.AttributeCount();
  EXPECT_EQ(g_allocations, 0);
}

TEST(XmlAllocationTest, ReloadReusesTheBufferWhenTheTextFits) {
  std::wstring text = L"<r>";
  for (int i = 0; i < 3000; ++i) text += L"<c a=\"1\" b=\"x&amp;y\">t</c>";
  text += L"</r>";
  const std::string bytes(text.begin(), text.end());
  const std::wstring larger = text + std::wstring(100, L' ');
  ui::XmlDocument document;
  ASSERT_TRUE(document.LoadFromText(text.c_str()));
  g_allocations = 0;
  ASSERT_TRUE(document.LoadFromBytes(bytes.data(), bytes.size()));
  ASSERT_TRUE(document.LoadFromText(L"<small/>"));
  EXPECT_EQ(g_allocations, 0);
  EXPECT_EQ(std::wstring(document.GetRoot().Name()), L"small");
  g_allocations = 0;
  ASSERT_TRUE(document.LoadFromText(larger.c_str()));
  EXPECT_EQ(g_allocations, 1);
  EXPECT_EQ(document.ElementCount(), 3001u);
}

}  // namespace
