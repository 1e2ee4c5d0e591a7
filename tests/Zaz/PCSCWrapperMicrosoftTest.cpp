// Wrapper behaviour that needs no PC/SC call.
#include "Zaz/PCSCWrapperMicrosoft.h"
#include "TestSupport.h"
#include "Zaz/PCSCException.h"
#include "Zaz/PCSCResetException.h"

#include <gtest/gtest.h>

#include <typeinfo>

using namespace testsupport;

using ZAZ::PCSCWrapperMicrosoft;
using ZAZ::ReaderStatus;

TEST(PCSCWrapperMicrosoftTest, MapsResultsToTheResetClassOrPlainFailures) {
    const struct {
        unsigned long code;
        bool reset;
    } rows[] = {
        {0x80100067, true},  {0x80100068, true},  {0x8010001D, true},  {0x8010001E, true},
        {0x80100069, false}, {0x8010000A, false}, {0x80100001, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        try {
            PCSCWrapperMicrosoft::ThrowOnError(static_cast<LONG>(static_cast<int32_t>(row.code)));
            ADD_FAILURE() << "no exception";
        } catch (const ZAZ::PCSCException& e) {
            EXPECT_EQ(typeid(e) == typeid(ZAZ::PCSCResetException), row.reset);
            EXPECT_EQ(e.getErrorCode(), row.code);
            EXPECT_EQ(e.getOrigin(), 1u);
            EXPECT_EQ(e.errorCode(), row.code); // parsed back from the message
        }
    }
    EXPECT_NO_THROW(PCSCWrapperMicrosoft::ThrowOnError(SCARD_S_SUCCESS));
}

TEST(PCSCWrapperMicrosoftTest, BindGuardKeepsTheFirstConnectionAndPresentReadersAreStored) {
    PCSCWrapperMicrosoft wrapper;
    EXPECT_TRUE(wrapper.OwnsHandle());
    // Attaching with everything given makes no PC/SC call.
    wrapper.Attach(0x1234, 0x5678, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T1, false);
    EXPECT_FALSE(wrapper.OwnsHandle());

    const auto expectGuard = [&](auto&& call) {
        EXPECT_EQ(PcscCode(call, typeid(ZAZ::PCSCException)), 0xE0100001u);
        EXPECT_EQ(wrapper.GetCardHandle(), 0x1234);
        EXPECT_EQ(wrapper.GetContext(), 0x5678);
        EXPECT_EQ(wrapper.GetActiveProtocol(), static_cast<DWORD>(SCARD_PROTOCOL_T1));
    };
    expectGuard([&] { wrapper.Connect("Virtual PCD 00 01", SCARD_SHARE_SHARED, 3); });
    expectGuard([&] { wrapper.Connect(1, "Virtual PCD 00 01", SCARD_SHARE_SHARED, 3); });
    expectGuard([&] { wrapper.Attach(0x1, true); });
    expectGuard([&] { wrapper.Attach(0x1, 0x2, SCARD_SHARE_SHARED, 1, true); });

    // Forgetting without release makes no PC/SC call either; the wrapper is
    // empty again and accepts a new binding.
    wrapper.Detach(false);
    EXPECT_EQ(wrapper.GetCardHandle(), 0);
    EXPECT_EQ(wrapper.GetContext(), 0);
    EXPECT_EQ(wrapper.GetActiveProtocol(), 0u);
    wrapper.Attach(0x9, 0, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0, false);
    EXPECT_EQ(wrapper.GetCardHandle(), 0x9);
    wrapper.Detach(false);

    std::vector<ReaderStatus> list; // only present readers are stored
    ReaderStatus a;
    a.readerName = "A";
    a.state = SCARD_STATE_EMPTY;
    EXPECT_FALSE(wrapper.StoreReaderStatus(a, list));
    a.state = SCARD_STATE_PRESENT;
    a.atr = ZAZ::ByteVector("3B 00");
    EXPECT_TRUE(wrapper.StoreReaderStatus(a, list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(wrapper.FindReaderStatus(list, "A").atr, ZAZ::ByteVector("3B 00"));
    const ReaderStatus missing = wrapper.FindReaderStatus(list, "B");
    EXPECT_EQ(missing.readerName, "B");
    EXPECT_EQ(missing.state, 0u);
    EXPECT_TRUE(missing.atr.empty());
}
