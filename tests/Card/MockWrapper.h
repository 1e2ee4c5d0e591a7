#ifndef TESTS_CARD_MOCKWRAPPER_H
#define TESTS_CARD_MOCKWRAPPER_H

#include "Zaz/PCSCWrapper.h"

#include <gmock/gmock.h>

// The PC/SC wrapper as a mock, for terminal behaviour that a real daemon
// will not produce on demand (a failing first transmit, a truncated answer).
class MockWrapper : public ZAZ::PCSCWrapper {
public:
    MOCK_METHOD(bool, OwnsHandle, (), (const, override));
    MOCK_METHOD(unsigned long, Connect, (const std::string&, DWORD, DWORD), (override));
    MOCK_METHOD(unsigned long, Connect, (SCARDCONTEXT, const std::string&, DWORD, DWORD),
                (override));
    MOCK_METHOD(unsigned long, Attach, (SCARDHANDLE, bool), (override));
    MOCK_METHOD(unsigned long, Attach, (SCARDHANDLE, SCARDCONTEXT, DWORD, DWORD, bool), (override));
    MOCK_METHOD(unsigned long, Detach, (bool), (noexcept, override));
    MOCK_METHOD(SCARDHANDLE, GetCardHandle, (), (const, override));
    MOCK_METHOD(SCARDCONTEXT, GetContext, (), (const, override));
    MOCK_METHOD(unsigned long, Transmit, (const ZAZ::ByteVector&, ZAZ::ByteVector&, std::int32_t),
                (override));
    MOCK_METHOD(unsigned long, Control,
                (DWORD, const ZAZ::ByteVector&, ZAZ::ByteVector&, std::int32_t), (override));
    MOCK_METHOD(unsigned long, BeginTransaction, (), (override));
    MOCK_METHOD(unsigned long, EndTransaction, (), (override));
    MOCK_METHOD(unsigned long, WarmReset, (), (override));
    MOCK_METHOD(unsigned long, ColdReset, (), (override));
    MOCK_METHOD(unsigned long, Reconnect, (), (override));
    MOCK_METHOD(unsigned long, Status, (ZAZ::ReaderStatus&), (override));
    MOCK_METHOD(DWORD, GetActiveProtocol, (), (const, override));
    MOCK_METHOD(unsigned long, ListReaders, (ZAZ::PackedStringList&), (override));
    MOCK_METHOD(unsigned long, LocateCards, (ZAZ::ReaderStatus&, const std::string&), (override));
    MOCK_METHOD(unsigned long, GetReaderStatus, (ZAZ::ReaderStatus&), (override));
    MOCK_METHOD(bool, GetStatusChange,
                (const std::vector<ZAZ::ReaderStatus>&, std::vector<ZAZ::ReaderStatus>&, DWORD),
                (override));
    MOCK_METHOD(ZAZ::ReaderStatus, FindReaderStatus,
                (const std::vector<ZAZ::ReaderStatus>&, const std::string&), (override));
    MOCK_METHOD(bool, StoreReaderStatus,
                (const ZAZ::ReaderStatus&, std::vector<ZAZ::ReaderStatus>&), (override));
    MOCK_METHOD(std::string, GetSmartCardName, (), (override));
    MOCK_METHOD(unsigned long, GetReaderStatusChange, (std::vector<ZAZ::ReaderStatus>&, DWORD),
                (override));
};

#endif
