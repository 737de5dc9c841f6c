#include "platform/Picture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "platform/RuntimeError.h"
#include "support/TestPictures.h"

// Allocations of at least this many bytes fail while it is non-zero, so that
// running out of memory can be tried.
static std::size_t g_failAllocationsFrom = 0;

// GCC takes the replaced operators for the built-in ones and sees malloc and
// free paired with new and delete.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
  if (g_failAllocationsFrom != 0 && size >= g_failAllocationsFrom) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace pixkeeper {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Counts how often the bytes were given back.
class CountingLease : public PictureLease {
 public:
  explicit CountingLease(int* releases) : releases_(releases) {}
  ~CountingLease() override { ++*releases_; }

 private:
  int* releases_;
};

std::unique_ptr<PictureLease> Lease(int* releases) {
  return std::make_unique<CountingLease>(releases);
}

Bytes Dib(const char* name) { return testing::MakeTestPicture(name).dib; }

TEST(PictureTest, EmptyPicture) {
  const Picture p;
  EXPECT_TRUE(p.empty());
  EXPECT_FALSE(p.borrowed());
  EXPECT_EQ(p.data(), nullptr);
  EXPECT_EQ(p.layout().totalSize, 0u);
}

TEST(PictureTest, OwnValidatesAndKeepsTheBytes) {
  const Bytes dib = Dib("pal8");
  Bytes block = dib;
  block.resize(dib.size() + 30, 0xEE);
  const Picture p = Picture::Own(block);
  EXPECT_FALSE(p.empty());
  EXPECT_FALSE(p.borrowed());
  EXPECT_EQ(p.layout().totalSize, dib.size());
  EXPECT_EQ(Bytes(p.data(), p.data() + p.layout().totalSize), dib);

  Bytes bad = dib;
  bad[0] = 0;
  try {
    Picture::Own(bad);
    ADD_FAILURE() << "malformed DIB accepted";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), error::kInvalidPicture);
  }
  EXPECT_THROW(Picture::Own({}), RuntimeError);
}

TEST(PictureTest, MovingKeepsOwnedBytesValid) {
  const Bytes dib = Dib("rgb24");
  Picture a = Picture::Own(dib);
  Picture b = std::move(a);
  EXPECT_TRUE(a.empty());  // NOLINT(bugprone-use-after-move): moved-from is empty
  EXPECT_EQ(Bytes(b.data(), b.data() + b.layout().totalSize), dib);
  Picture c;
  c = std::move(b);
  EXPECT_TRUE(b.empty());  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(Bytes(c.data(), c.data() + c.layout().totalSize), dib);
  EXPECT_EQ(c.layout().width, 37);
}

TEST(PictureTest, BorrowedBytesLiveAsLongAsTheLease) {
  const Bytes source = Dib("rgb32");
  int releases = 0;
  {
    Picture p = Picture::Borrow(source.data(), source.size(), Lease(&releases));
    EXPECT_TRUE(p.borrowed());
    EXPECT_EQ(p.data(), source.data());  // no copy

    Picture q = std::move(p);  // the lease goes along, it is not given back
    EXPECT_EQ(releases, 0);
    EXPECT_TRUE(p.empty());  // NOLINT(bugprone-use-after-move)
    EXPECT_FALSE(p.borrowed());
    EXPECT_EQ(q.data(), source.data());

    q = Picture();  // emptying gives the bytes back
    EXPECT_EQ(releases, 1);
    EXPECT_TRUE(q.empty());

    Picture r = Picture::Borrow(source.data(), source.size(), Lease(&releases));
    r = Picture::Own(Dib("pal1"));  // replacing gives them back too
    EXPECT_EQ(releases, 2);
    EXPECT_FALSE(r.borrowed());

    Picture s = Picture::Borrow(source.data(), source.size(), Lease(&releases));
    Picture& same = s;
    s = std::move(same);  // moving onto itself changes nothing
    EXPECT_EQ(releases, 2);
    EXPECT_EQ(s.data(), source.data());
  }
  EXPECT_EQ(releases, 3);  // and so does destruction
}

TEST(PictureTest, FailedBorrowGivesTheBytesBackAtOnce) {
  Bytes source = Dib("rgb24");
  source.resize(100);
  int releases = 0;
  EXPECT_THROW(Picture::Borrow(source.data(), source.size(), Lease(&releases)), RuntimeError);
  EXPECT_EQ(releases, 1);
  EXPECT_THROW(Picture::Borrow(nullptr, 0, Lease(&releases)), RuntimeError);
  EXPECT_EQ(releases, 2);
}

TEST(PictureTest, BorrowWithoutALeaseCopies) {
  Bytes source = Dib("pal4");
  Picture p = Picture::Borrow(source.data(), source.size(), nullptr);
  EXPECT_FALSE(p.borrowed());
  EXPECT_NE(p.data(), source.data());
  const Bytes copy(p.data(), p.data() + p.layout().totalSize);
  source.assign(source.size(), 0);
  EXPECT_EQ(copy, Dib("pal4"));
}

TEST(PictureTest, DetachCopiesThePictureAndGivesTheBytesBack) {
  const Bytes dib = Dib("topdown24");
  Bytes block = dib;
  block.resize(dib.size() + 4000, 0xEE);  // the clipboard's block is larger
  int releases = 0;
  Picture p = Picture::Borrow(block.data(), block.size(), Lease(&releases));
  p.Detach();
  EXPECT_EQ(releases, 1);
  EXPECT_FALSE(p.borrowed());
  EXPECT_NE(p.data(), block.data());
  std::fill(block.begin(), block.end(), 0);  // the source may go now
  EXPECT_EQ(Bytes(p.data(), p.data() + p.layout().totalSize), dib);
  EXPECT_EQ(p.layout().height, -23);

  p.Detach();  // owned already: nothing to do
  EXPECT_EQ(releases, 1);
  Picture empty;
  empty.Detach();
  EXPECT_TRUE(empty.empty());
}

TEST(PictureTest, DetachOutOfMemoryLeavesThePictureAsItWas) {
  const Bytes dib = Dib("rgb32");
  int releases = 0;
  Picture p = Picture::Borrow(dib.data(), dib.size(), Lease(&releases));
  g_failAllocationsFrom = 1000;
  try {
    p.Detach();
    ADD_FAILURE() << "Detach succeeded without memory";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), error::kOutOfMemory);
  }
  g_failAllocationsFrom = 0;
  EXPECT_TRUE(p.borrowed());
  EXPECT_EQ(releases, 0);
  EXPECT_EQ(p.data(), dib.data());
  EXPECT_EQ(p.layout().totalSize, dib.size());

  p.Detach();  // and works once there is memory again
  EXPECT_EQ(releases, 1);
}

}  // namespace
}  // namespace pixkeeper
