#include <gtest/gtest.h>

#include <windows.h>

#include <utility>

#include "core/Handle.h"

namespace {

bool IsOpen(HANDLE h)
{
    DWORD flags = 0;
    return ::GetHandleInformation(h, &flags) != 0;
}

HANDLE NewEvent()
{
    return ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

TEST(UniqueHandle, ClosesOnScopeExit)
{
    HANDLE raw = NewEvent();
    {
        KernelHandle owner(raw);
        EXPECT_TRUE(IsOpen(raw));
    }
    EXPECT_FALSE(IsOpen(raw));
}

TEST(UniqueHandle, MoveTransfersOwnershipAndClosesTheReplacedHandle)
{
    HANDLE first = NewEvent();
    HANDLE second = NewEvent();
    KernelHandle a(first);
    KernelHandle b(second);
    b = std::move(a);
    EXPECT_FALSE(IsOpen(second));
    EXPECT_TRUE(IsOpen(first));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.get(), first);
}

TEST(UniqueHandle, ReleaseGivesUpOwnership)
{
    HANDLE raw = NewEvent();
    {
        KernelHandle owner(raw);
        EXPECT_EQ(owner.release(), raw);
        EXPECT_FALSE(owner);
    }
    EXPECT_TRUE(IsOpen(raw));
    ::CloseHandle(raw);
}

TEST(UniqueHandle, FileHandleTreatsInvalidHandleValueAsEmpty)
{
    FileHandle missing(::CreateFileW(L"Z:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.get(), INVALID_HANDLE_VALUE);
}

TEST(UniqueHandle, PutClosesTheOldHandleBeforeReuse)
{
    HANDLE first = NewEvent();
    KernelHandle owner(first);
    *owner.put() = NewEvent();
    EXPECT_FALSE(IsOpen(first));
    EXPECT_TRUE(IsOpen(owner.get()));
}

} // namespace
