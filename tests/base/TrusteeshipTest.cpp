#include <gtest/gtest.h>
#include <functional>
#include "common/base/Trusteeship.h"

using Base_ns::SysError_cl;
using Base_ns::Trusteeship_tl;

namespace {

// Counts live elements, so that freeing (or not freeing) storage shows.
struct Counted_st {
    static int live;
    Counted_st() { ++live; }
    ~Counted_st() { --live; }
    int value = 0;
};
int Counted_st::live = 0;

SysError_cl CatchSys(const std::function<void()>& call)
{
    try {
        call();
    } catch (const SysError_cl& e) {
        return e;
    }
    ADD_FAILURE() << "no system error was raised";
    return SysError_cl(0, L"", L"", 0, nullptr, 0, L"");
}

} // namespace

TEST(TrusteeshipTest, SizeAndIndexChecks)
{
    Trusteeship_tl<int> a;
    SysError_cl e = CatchSys([&] { a[0]; });
    EXPECT_EQ(e.Code(), 1);
    EXPECT_EQ(e.Message(), L"内存未被申请。");
    EXPECT_EQ(e.ClassName(), L"Trusteeship_tl");
    EXPECT_EQ(e.File(), L"Trusteeship");

    e = CatchSys([&] { a.Allocate(0); });
    EXPECT_EQ(e.Code(), 2);
    EXPECT_EQ(e.Message(), L"数组的大小不能设置为零或负数。");
    EXPECT_EQ(CatchSys([&] { a.Allocate(-4); }).Code(), 2);
    EXPECT_TRUE(a.IsEmpty());

    a.Allocate(3);
    EXPECT_EQ(a.Size(), 3);
    a[2] = 42;
    EXPECT_EQ(a[2], 42);
    e = CatchSys([&] { a[3]; });
    EXPECT_EQ(e.Code(), 3);
    EXPECT_EQ(e.Message(), L"错误的数据索引。");
    EXPECT_EQ(CatchSys([&] { a[-1]; }).Code(), 3);
    const Trusteeship_tl<int>& c = a;
    EXPECT_EQ(c[2], 42);
    EXPECT_EQ(CatchSys([&] { c[3]; }).Code(), 3);

    // A refused Allocate keeps what the holder had.
    EXPECT_EQ(CatchSys([&] { a.Allocate(0); }).Code(), 2);
    EXPECT_EQ(a[2], 42);
}

TEST(TrusteeshipTest, ReallocatingAndReleasingFreeTheStorage)
{
    {
        Trusteeship_tl<Counted_st> a;
        a.Allocate(3);
        EXPECT_EQ(Counted_st::live, 3);
        a.Allocate(5);
        EXPECT_EQ(Counted_st::live, 5);
        EXPECT_EQ(a.Size(), 5);
        a.Release();
        EXPECT_EQ(Counted_st::live, 0);
        EXPECT_EQ(a.Size(), 0);
        EXPECT_EQ(CatchSys([&] { a[0]; }).Code(), 1);
        a.Release();  // nothing left: no error
        a.Allocate(2);
    }
    EXPECT_EQ(Counted_st::live, 0);
}

TEST(TrusteeshipTest, CopiesShareStorageUntilTheLastHolderLetsGo)
{
    {
        Trusteeship_tl<Counted_st> a;
        a.Allocate(2);
        EXPECT_EQ(a.Holders(), 1);
        Trusteeship_tl<Counted_st> b(a);
        EXPECT_EQ(a.Holders(), 2);
        b[1].value = 7;
        EXPECT_EQ(a[1].value, 7);  // one storage
        EXPECT_EQ(Counted_st::live, 2);

        Trusteeship_tl<Counted_st> c;
        c = b;
        EXPECT_EQ(a.Holders(), 3);
        c = a;  // already the same storage
        EXPECT_EQ(a.Holders(), 3);

        a.Release();
        EXPECT_EQ(b.Holders(), 2);
        EXPECT_EQ(c[1].value, 7);
        EXPECT_EQ(Counted_st::live, 2);

        // A holder that allocates again leaves the others their storage.
        b.Allocate(4);
        EXPECT_EQ(b.Holders(), 1);
        EXPECT_EQ(c.Holders(), 1);
        EXPECT_EQ(c[1].value, 7);
        EXPECT_EQ(Counted_st::live, 6);

        Trusteeship_tl<Counted_st> moved(std::move(c));
        EXPECT_TRUE(c.IsEmpty());
        EXPECT_EQ(moved[1].value, 7);
        Trusteeship_tl<Counted_st> empty;
        Trusteeship_tl<Counted_st> copyOfEmpty(empty);
        EXPECT_TRUE(copyOfEmpty.IsEmpty());
        EXPECT_EQ(copyOfEmpty.Holders(), 0);
    }
    EXPECT_EQ(Counted_st::live, 0);
}
