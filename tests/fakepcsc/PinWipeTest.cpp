// While the card handle verifies, changes and unblocks, every block freed is
// scanned for the PIN (from the sanitizer's free hook, which runs before the
// block is released); the debug log must not hold the PIN either.
#include "FakePcsc.h"

#include "Zaz/TempConfigRoot.h"

#include <ias/CIASCard.h>
#include <ias/IASEntry.h>

#include <gtest/gtest.h>

#include <algorithm>

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*,
                                                                  std::size_t),
                                                         void (*)(const volatile void*));
extern "C" std::size_t __sanitizer_get_allocated_size(const volatile void*);

namespace {
const unsigned char kPin[] = {0xA7, 0x3C, 0x51, 0xE9, 0x0D, 0x6B, 0xF2, 0x48};
bool g_scanning = false;
int g_blocksWithPin = 0;

void OnAlloc(const volatile void*, std::size_t) {}
void OnFree(const volatile void* p) {
    const auto* begin =
        const_cast<const unsigned char*>(static_cast<const volatile unsigned char*>(p));
    const unsigned char* end = begin + (g_scanning ? __sanitizer_get_allocated_size(p) : 0);
    g_blocksWithPin += std::search(begin, end, kPin, kPin + sizeof kPin) != end;
}
} // namespace

TEST(PinWipeTest, PinCommandsLeaveThePinInNoFreedBlockAndNotInTheLog) {
    FakePcsc::Reset();
    LoggedConfigRoot root;
    void* context = nullptr;
    ASSERT_EQ(ias::IASInitialize(&context), 0u);
    char reader[] = "Fake Reader 0";
    const ias::CBlob pin(kPin, sizeof kPin);
    {
        ias::CIASCard card;
        ASSERT_EQ(ias::IASConnectA(context, reader, card), 0u);
        ASSERT_EQ(__sanitizer_install_malloc_and_free_hooks(OnAlloc, OnFree), 1);
        g_scanning = true;
        card.verify(0x81, pin);
        card.changePIN(0x81, pin);
        card.unblockPIN(0x81, pin);
    }
    g_scanning = false;
    ias::IASFinalize(context);
    EXPECT_EQ(g_blocksWithPin, 0);
    const std::string log = root.Log();
    EXPECT_NE(log.find("00 20 00 81"), std::string::npos) << log; // the commands were logged
    for (const char* form : {"\xA7\x3C\x51", "A7 3C 51", "A73C51"}) {
        EXPECT_EQ(log.find(form), std::string::npos) << log;
    }
}
