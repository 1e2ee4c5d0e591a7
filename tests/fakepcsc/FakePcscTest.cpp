// Runs against the fake client library of FakePcsc.cpp, not pcscd: the
// failures a running daemon does not produce on demand, and the entry
// functions' own argument and context checks.
#include "FakePcsc.h"

#include "TestSupport.h"

#include "Zaz/PCSCException.h"
#include "Zaz/PCSCResetException.h"
#include "Zaz/PCSCWrapperMicrosoft.h"

#include <ias/IASEntry.h>

#include <gtest/gtest.h>

#include <cstring>
#include <sys/wait.h>
#include <typeinfo>
#include <unistd.h>
#include <vector>

using namespace testsupport;

using ZAZ::ByteVector;
using ZAZ::PCSCWrapperMicrosoft;

namespace {

LONG Code(unsigned long code) {
    return static_cast<LONG>(static_cast<std::int32_t>(code));
}

class FakePcscTest : public ::testing::Test {
protected:
    void SetUp() override { FakePcsc::Reset(); }
};

} // namespace

// A refused context or reader list, as the wrapper throws it and as the
// entry functions report it (IASInitialize for the context, else
// IASListReadersA, which clears the caller's buffer first).
TEST_F(FakePcscTest, RefusedContextOrReaderListAndTheEntryFunctionChecks) {
    const std::type_info& plain = typeid(ZAZ::PCSCException);
    const std::type_info& reset = typeid(ZAZ::PCSCResetException);
    const struct {
        LONG FakePcsc::*call;
        unsigned long code;
        const std::type_info* thrown; // null: an empty list
        unsigned long status;
    } rows[] = {
        {&FakePcsc::listReaders, 0x8010002E, nullptr, ias::IAS_S_OK}, // no readers available
        {&FakePcsc::listReaders, 0x80100008, &plain, ias::IAS_E_INSUFFICIENT_BUFFER},
        // A vanished daemon is a plain failure here: there is no card to recover.
        {&FakePcsc::listReaders, 0x8010001D, &plain, ias::IAS_E_FAILED},
        {&FakePcsc::listReaders, 0x80100006, &plain, ias::IAS_E_FAILED},
        {&FakePcsc::establish, 0x8010001E, &reset, ias::IAS_E_FAILED},
        {&FakePcsc::establish, 0x80100001, &plain, ias::IAS_E_FAILED},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        FakePcsc::Reset();
        g_fake.*row.call = Code(row.code);
        PCSCWrapperMicrosoft wrapper;
        ZAZ::PackedStringList readers;
        readers.append("stale");
        if (row.thrown == nullptr) {
            EXPECT_EQ(wrapper.ListReaders(readers), 0u);
            EXPECT_EQ(readers.count(), 0);
        } else {
            EXPECT_EQ(PcscCode([&] { wrapper.ListReaders(readers); }, *row.thrown), row.code);
        }
        void* context = reinterpret_cast<void*>(0x1);
        if (row.call == &FakePcsc::establish) {
            // Nothing allocated or registered: a later initialization succeeds.
            EXPECT_EQ(ias::IASInitialize(&context), row.status);
            EXPECT_EQ(context, reinterpret_cast<void*>(0x1));
            EXPECT_EQ(wrapper.GetContext(), 0);
            g_fake.establish = SCARD_S_SUCCESS;
        }
        ASSERT_EQ(ias::IASInitialize(&context), ias::IAS_S_OK);
        if (row.call == &FakePcsc::listReaders) {
            char buffer[8] = "garbage";
            unsigned long length = sizeof buffer;
            EXPECT_EQ(ias::IASListReadersA(context, buffer, &length), row.status);
            EXPECT_EQ(buffer[0], '\0');
        }
        EXPECT_EQ(ias::IASFinalize(context), ias::IAS_S_OK);
    }
    // The argument and context checks of the entry functions, in their order;
    // a context belongs to the process that made it, and to no forked child.
    struct Forged {
        std::uint32_t magic;
        long pcscContext;
        std::uint32_t ownerPid;
    };
    const auto pid = static_cast<std::uint32_t>(getpid());
    Forged wrongMagic{0xBEEF, 0, pid}, otherOwner{0xDEAD, 0, pid + 1};
    unsigned long length = 0;
    EXPECT_EQ(ias::IASInitialize(nullptr), ias::IAS_E_FAILED);
    EXPECT_EQ(ias::IASFinalize(nullptr), ias::IAS_E_FAILED);
    EXPECT_EQ(ias::IASListReadersA(nullptr, nullptr, &length), ias::IAS_E_INVALID_CONTEXT);
    EXPECT_EQ(ias::IASFinalize(&wrongMagic), ias::IAS_E_INVALID_CONTEXT); // none held yet

    void* context = nullptr;
    ASSERT_EQ(ias::IASInitialize(&context), ias::IAS_S_OK);
    EXPECT_EQ(*static_cast<std::uint32_t*>(context), 0x0000DEADu);
    void* second = nullptr;
    EXPECT_EQ(ias::IASInitialize(&second), ias::IAS_E_ALREADY_INITIALIZED);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(ias::IASFinalize(&wrongMagic), ias::IAS_E_FAILED);
    EXPECT_EQ(ias::IASListReadersA(&wrongMagic, nullptr, &length), ias::IAS_E_INVALID_CONTEXT);
    EXPECT_EQ(ias::IASFinalize(&otherOwner), ias::IAS_E_INVALID_CONTEXT);
    EXPECT_EQ(ias::IASListReadersA(&otherOwner, nullptr, &length), ias::IAS_E_INVALID_CONTEXT);
    EXPECT_EQ(ias::IASListReadersA(context, nullptr, nullptr), ias::IAS_E_FAILED);
    ASSERT_EQ(ias::IASListReadersA(context, nullptr, &length), ias::IAS_S_OK); // length query
    std::vector<char> names(length, 'x');
    ASSERT_EQ(ias::IASListReadersA(context, names.data(), &length), ias::IAS_S_OK);
    EXPECT_EQ(std::string(names.data(), length),
              std::string("Fake Reader 0\0Fake Reader 1\0\0", 29));

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) { // one bit of the exit status per wrong result
        int wrong = ias::IASListReadersA(context, nullptr, &length) != ias::IAS_E_INVALID_CONTEXT;
        wrong |= (ias::IASFinalize(context) != ias::IAS_E_INVALID_CONTEXT) << 1;
        void* own = nullptr; // it holds no context, so it may make its own
        wrong |= (ias::IASInitialize(&own) != ias::IAS_S_OK) << 2;
        _exit(wrong | (ias::IASFinalize(own) != ias::IAS_S_OK) << 3);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ias::IASListReadersA(context, nullptr, &length), ias::IAS_S_OK);
    EXPECT_EQ(ias::IASFinalize(context), ias::IAS_S_OK);
    EXPECT_EQ(ias::IASFinalize(context), ias::IAS_E_INVALID_CONTEXT);
    EXPECT_EQ(ias::IASListReadersA(context, nullptr, &length), ias::IAS_E_INVALID_CONTEXT);

    ias::IASINFO info;
    std::memset(&info, 0xAB, sizeof info);
    EXPECT_EQ(ias::IASGetInfo(nullptr), ias::IAS_E_FAILED);
    EXPECT_EQ(ias::IASGetInfo(&info), ias::IAS_S_OK);
    std::vector<unsigned char> version(sizeof info, 0xAB); // the version bytes only
    version[0] = 1;
    version[1] = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&info);
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + sizeof info), version);
}

TEST_F(FakePcscTest, WrapperReplacesAStaleContextAndFailedConnectsLeaveNothing) {
    PCSCWrapperMicrosoft wrapper;
    ZAZ::PackedStringList readers;
    wrapper.ListReaders(readers);
    ASSERT_EQ(readers.count(), 2);
    EXPECT_EQ(readers.get(1), "Fake Reader 1");
    const SCARDCONTEXT first = wrapper.GetContext();
    wrapper.ListReaders(readers); // still valid: kept
    EXPECT_EQ(g_fake.establishCalls, 1);
    g_fake.isValid = Code(0x80100003); // invalid handle, e.g. after a daemon restart
    wrapper.ListReaders(readers);
    EXPECT_EQ(g_fake.establishCalls, 2);
    EXPECT_NE(wrapper.GetContext(), first);

    wrapper.Detach(true); // a failed connect leaves the wrapper empty
    FakePcsc::Reset();
    g_fake.connect = Code(0x8010000C); // no smart card
    EXPECT_EQ(PcscCode([&] { wrapper.Connect("Fake Reader 0", SCARD_SHARE_SHARED, 3); },
                       typeid(ZAZ::PCSCException)),
              0x8010000Cu);
    EXPECT_EQ(wrapper.GetContext(), 0);
    EXPECT_EQ(wrapper.GetCardHandle(), 0);
    EXPECT_EQ(g_fake.releaseCalls, 1);

    g_fake.connect = SCARD_S_SUCCESS;
    EXPECT_EQ(wrapper.Connect("Fake Reader 0", SCARD_SHARE_SHARED, 3), 0u);
    EXPECT_NE(wrapper.GetCardHandle(), 0);
    // A reconnect that got no protocol back does not leave the next one asking for none.
    g_fake.protocol = SCARD_PROTOCOL_UNDEFINED;
    wrapper.Reconnect();
    EXPECT_EQ(g_fake.reconnectPreferred, DWORD{SCARD_PROTOCOL_T1});
    wrapper.WarmReset();
    EXPECT_EQ(g_fake.reconnectPreferred, DWORD{SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1});
    g_fake.protocol = SCARD_PROTOCOL_T0;
    ZAZ::ReaderStatus status;
    wrapper.Status(status);
    status.readerName = "Fake Reader 0";
    wrapper.GetReaderStatus(status);
    EXPECT_EQ(status.protocol, std::uint32_t{SCARD_PROTOCOL_T0});
}

TEST_F(FakePcscTest, TransmitFailuresAndTheOverwriteThatFollowsAnyway) {
    PCSCWrapperMicrosoft wrapper;
    wrapper.Connect("Fake Reader 0", SCARD_SHARE_SHARED, 3);

    g_fake.answer = {0x01, 0x02, 0x90, 0x00};
    ByteVector response("FF FF FF FF FF FF");
    wrapper.Transmit(ByteVector("00 B0 00 00 00"), response, 3);
    EXPECT_EQ(response, ByteVector("01 02 90")); // cut to what the card sent, at most 3
    // A piece of a chain is not followed, since the SELECT would end the chain;
    // the last piece is, by an overwrite as long as the longest piece.
    g_fake.sent.clear();
    wrapper.Transmit(ByteVector("10 20 00 81 03 31 32 33"), response, 258);
    EXPECT_EQ(g_fake.sent.size(), 1u);
    wrapper.Transmit(ByteVector("00 20 00 81 02 34 35"), response, 258);
    ASSERT_EQ(g_fake.sent.size(), 3u);
    EXPECT_EQ(ByteVector(g_fake.sent[2].data(), static_cast<int>(g_fake.sent[2].size())),
              ByteVector("00 A4 02 00 03 00 00 00 00"));

    for (unsigned long code : {0x80100068ul, 0x80100069ul}) {
        SCOPED_TRACE(code);
        const auto& expected =
            code == 0x80100068 ? typeid(ZAZ::PCSCResetException) : typeid(ZAZ::PCSCException);
        g_fake.transmit = g_fake.reconnect = Code(code);
        g_fake.sent.clear();
        EXPECT_EQ(
            PcscCode([&] { wrapper.Transmit(ByteVector("00 24 00 81 02 31 32"), response, 258); },
                     expected),
            code);
        // The PIN command failed, yet its overwrite went out (T=1: one more byte).
        ASSERT_EQ(g_fake.sent.size(), 2u);
        EXPECT_EQ(ByteVector(g_fake.sent[1].data(), static_cast<int>(g_fake.sent[1].size())),
                  ByteVector("00 A4 02 00 02 00 00 00"));
        EXPECT_EQ(PcscCode([&] { wrapper.WarmReset(); }, expected), code);
    }
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
        PcscCode([&] { wrapper.GetReaderStatusChange(states, 10); }, typeid(ZAZ::PCSCException)),
        0x8010000Au);
    EXPECT_EQ(g_fake.establishCalls, 2);
    EXPECT_EQ(g_fake.releaseCalls, 2); // its own context, released on the way out
}
