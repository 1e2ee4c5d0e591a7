// Runs against the fake client library of FakePcsc.cpp, not pcscd: these are
// the failures a running daemon does not produce on demand.
#include "FakePcsc.h"

#include "Zaz/PCSCException.h"
#include "Zaz/PCSCResetException.h"
#include "Zaz/PCSCWrapperMicrosoft.h"

#include <ias/IASEntry.h>

#include <gtest/gtest.h>

#include <functional>
#include <typeinfo>

using ZAZ::ByteVector;
using ZAZ::PCSCWrapperMicrosoft;

namespace {

LONG Code(unsigned long code) {
    return static_cast<LONG>(static_cast<std::int32_t>(code));
}

/// The code of the PC/SC exception `call` throws, checking its exact class.
unsigned long Thrown(const std::function<void()>& call, const std::type_info& expected) {
    try {
        call();
    } catch (const ZAZ::SCardCommException& e) {
        EXPECT_EQ(typeid(e), expected) << e.message();
        return e.getErrorCode();
    }
    ADD_FAILURE() << "no exception";
    return 0;
}

class FakePcscTest : public ::testing::Test {
protected:
    void SetUp() override { FakePcsc::Reset(); }
};

} // namespace

TEST_F(FakePcscTest, InitializeAllocatesNothingWhenPcscRefusesTheContext) {
    g_fake.establish = Code(0x8010001D);
    void* context = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(ias::IASInitialize(&context), ias::IAS_E_FAILED);
    EXPECT_EQ(context, reinterpret_cast<void*>(0x1));

    // Not registered either: a later initialization succeeds.
    g_fake.establish = SCARD_S_SUCCESS;
    ASSERT_EQ(ias::IASInitialize(&context), ias::IAS_S_OK);
    EXPECT_EQ(ias::IASFinalize(context), ias::IAS_S_OK);
    EXPECT_EQ(g_fake.releaseCalls, 1);
}

TEST_F(FakePcscTest, ListReadersResultsMapToStatusCodes) {
    void* context = nullptr;
    ASSERT_EQ(ias::IASInitialize(&context), ias::IAS_S_OK);
    const struct {
        unsigned long pcsc;
        unsigned long status;
    } rows[] = {
        {0x8010002E, ias::IAS_S_OK}, // no readers available
        {0x80100008, ias::IAS_E_INSUFFICIENT_BUFFER},
        {0x8010001D, ias::IAS_E_FAILED},
        {0x80100006, ias::IAS_E_FAILED},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pcsc);
        g_fake.listReaders = Code(row.pcsc);
        char readers[8] = "garbage";
        unsigned long length = sizeof readers;
        EXPECT_EQ(ias::IASListReadersA(context, readers, &length), row.status);
        EXPECT_EQ(readers[0], '\0');
    }
    EXPECT_EQ(ias::IASFinalize(context), ias::IAS_S_OK);
}

TEST_F(FakePcscTest, WrapperListsReadersAndToleratesNone) {
    PCSCWrapperMicrosoft wrapper;
    ZAZ::PackedStringList readers;
    wrapper.ListReaders(readers);
    ASSERT_EQ(readers.count(), 2);
    EXPECT_EQ(readers.get(1), "Fake Reader 1");

    g_fake.listReaders = Code(0x8010002E);
    readers.append("stale");
    EXPECT_EQ(wrapper.ListReaders(readers), 0u);
    EXPECT_EQ(readers.count(), 0);

    // A vanished daemon is a plain failure here: there is no card to recover.
    g_fake.listReaders = Code(0x8010001D);
    EXPECT_EQ(Thrown([&] { wrapper.ListReaders(readers); }, typeid(ZAZ::PCSCException)),
              0x8010001Du);
}

TEST_F(FakePcscTest, StaleContextIsReplacedAndARefusedOneIsMapped) {
    PCSCWrapperMicrosoft wrapper;
    ZAZ::PackedStringList readers;
    wrapper.ListReaders(readers);
    const SCARDCONTEXT first = wrapper.GetContext();
    EXPECT_EQ(g_fake.establishCalls, 1);

    wrapper.ListReaders(readers); // still valid: kept
    EXPECT_EQ(g_fake.establishCalls, 1);

    g_fake.isValid = Code(0x80100003); // invalid handle, e.g. after a daemon restart
    wrapper.ListReaders(readers);
    EXPECT_EQ(g_fake.establishCalls, 2);
    EXPECT_NE(wrapper.GetContext(), first);

    PCSCWrapperMicrosoft fresh;
    g_fake.establish = Code(0x8010001E);
    EXPECT_EQ(Thrown([&] { fresh.ListReaders(readers); }, typeid(ZAZ::PCSCResetException)),
              0x8010001Eu);
    g_fake.establish = Code(0x80100001);
    EXPECT_EQ(Thrown([&] { fresh.ListReaders(readers); }, typeid(ZAZ::PCSCException)), 0x80100001u);
    EXPECT_EQ(fresh.GetContext(), 0);
}

TEST_F(FakePcscTest, FailedConnectLeavesTheWrapperEmpty) {
    PCSCWrapperMicrosoft wrapper;
    g_fake.connect = Code(0x8010000C); // no smart card
    EXPECT_EQ(Thrown([&] { wrapper.Connect("Fake Reader 0", SCARD_SHARE_SHARED, 3); },
                     typeid(ZAZ::PCSCException)),
              0x8010000Cu);
    EXPECT_EQ(wrapper.GetContext(), 0);
    EXPECT_EQ(wrapper.GetCardHandle(), 0);
    EXPECT_EQ(g_fake.releaseCalls, 1);

    g_fake.connect = SCARD_S_SUCCESS;
    EXPECT_EQ(wrapper.Connect("Fake Reader 0", SCARD_SHARE_SHARED, 3), 0u);
    EXPECT_NE(wrapper.GetCardHandle(), 0);
}

TEST_F(FakePcscTest, TransmitFailuresAndTheOverwriteThatFollowsAnyway) {
    PCSCWrapperMicrosoft wrapper;
    wrapper.Connect("Fake Reader 0", SCARD_SHARE_SHARED, 3);

    g_fake.answer = {0x01, 0x02, 0x90, 0x00};
    ByteVector response("FF FF FF FF FF FF");
    wrapper.Transmit(ByteVector("00 B0 00 00 00"), response, 3);
    EXPECT_EQ(response, ByteVector("01 02 90")); // cut to what the card sent, at most 3

    const struct {
        unsigned long code;
        bool reset;
    } rows[] = {{0x8010001D, true}, {0x80100068, true}, {0x80100069, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        g_fake.transmit = Code(row.code);
        g_fake.sent.clear();
        const auto& expected =
            row.reset ? typeid(ZAZ::PCSCResetException) : typeid(ZAZ::PCSCException);
        EXPECT_EQ(
            Thrown([&] { wrapper.Transmit(ByteVector("00 24 00 81 02 31 32"), response, 258); },
                   expected),
            row.code);
        // The PIN command failed, yet its overwrite went out (T=1: one more byte).
        ASSERT_EQ(g_fake.sent.size(), 2u);
        EXPECT_EQ(ByteVector(g_fake.sent[1].data(), static_cast<int>(g_fake.sent[1].size())),
                  ByteVector("00 A4 02 00 02 00 00 00"));
    }

    g_fake.reconnect = Code(0x80100068);
    EXPECT_EQ(Thrown([&] { wrapper.WarmReset(); }, typeid(ZAZ::PCSCResetException)), 0x80100068u);
    g_fake.reconnect = Code(0x80100069);
    EXPECT_EQ(Thrown([&] { wrapper.WarmReset(); }, typeid(ZAZ::PCSCException)), 0x80100069u);
}

TEST_F(FakePcscTest, DetachOnlyLogsFailuresAndOwnStatusContextsAreReleased) {
    {
        PCSCWrapperMicrosoft wrapper;
        wrapper.Connect("Fake Reader 0", SCARD_SHARE_SHARED, 3);
        g_fake.disconnect = Code(0x80100069);
        EXPECT_EQ(wrapper.Detach(true), 0u);
        EXPECT_EQ(wrapper.GetCardHandle(), 0);
        EXPECT_EQ(wrapper.GetContext(), 0);
        EXPECT_EQ(g_fake.disconnectCalls, 1);
        EXPECT_EQ(g_fake.releaseCalls, 1);
    } // the destructor has nothing left to release
    EXPECT_EQ(g_fake.disconnectCalls, 1);
    EXPECT_EQ(g_fake.releaseCalls, 1);

    PCSCWrapperMicrosoft wrapper;
    std::vector<ZAZ::ReaderStatus> states(1);
    states[0].readerName = "Fake Reader 0";
    g_fake.statusChange = Code(0x8010000A);
    EXPECT_EQ(
        Thrown([&] { wrapper.GetReaderStatusChange(states, 10); }, typeid(ZAZ::PCSCException)),
        0x8010000Au);
    EXPECT_EQ(g_fake.establishCalls, 2);
    EXPECT_EQ(g_fake.releaseCalls, 2); // its own context, released on the way out
}
