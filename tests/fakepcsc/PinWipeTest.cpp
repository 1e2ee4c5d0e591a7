// PIN bytes must not outlive the commands that carried them: while the card
// handle verifies, changes and unblocks, every block freed goes back to the
// allocator only after a scan for the PIN, and the debug log must not hold it.
#include "FakePcsc.h"

#include "Zaz/TempConfigRoot.h"

#include <ias/CBlob.h>
#include <ias/CIASCard.h>
#include <ias/IASEntry.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {
const unsigned char kPin[] = {0xA7, 0x3C, 0x51, 0xE9, 0x0D, 0x6B, 0xF2, 0x48};
bool g_scanning = false;
int g_blocksWithPin = 0;

void* Allocate(std::size_t n) noexcept {
    return std::malloc(n > 0 ? n : 1);
}
void Release(void* p) noexcept {
    if (g_scanning && p != nullptr) {
        const auto* bytes = static_cast<const unsigned char*>(p);
        const unsigned char* end = bytes + malloc_usable_size(p);
        g_blocksWithPin += std::search(bytes, end, kPin, kPin + sizeof kPin) != end;
    }
    std::free(p);
}
} // namespace

void* operator new(std::size_t n) {
    void* p = Allocate(n);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}
void* operator new[](std::size_t n) {
    return operator new(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return Allocate(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return Allocate(n);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Release(p);
}

TEST(PinWipeTest, PinCommandsLeaveThePinInNoFreedBlockAndNotInTheLog) {
    FakePcsc::Reset();
    LoggedConfigRoot root;
    void* context = nullptr;
    ASSERT_EQ(ias::IASInitialize(&context), 0u);
    char reader[] = "Fake Reader 0";
    const ias::CBlob pin(kPin, sizeof kPin);
    ias::CBlob twoPins = pin;
    twoPins += pin;
    g_scanning = true;
    {
        ias::CIASCard card;
        ASSERT_EQ(ias::IASConnectA(context, reader, card), 0u);
        card.verify(0x81, pin);
        card.changePIN(0x81, twoPins);
        card.unblockPIN(0x81, twoPins);
    }
    g_scanning = false;
    ias::IASFinalize(context);
    EXPECT_EQ(g_blocksWithPin, 0);
    // Sanity: the commands did carry the PIN to the card.
    ASSERT_GE(g_fake.sent.size(), 3u);
    const std::string log = root.Log();
    EXPECT_NE(log.find("00 20 00 81"), std::string::npos) << log; // the log is on
    for (const std::string& form :
         {std::string(reinterpret_cast<const char*>(kPin), sizeof kPin), std::string("A7 3C 51"),
          std::string("A73C51")}) {
        EXPECT_EQ(log.find(form), std::string::npos) << log;
    }
}
