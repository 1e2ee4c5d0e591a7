#include "Card/CZazTerminal.h"

#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"
#include "Zaz/PCSCException.h"
#include "Zaz/PCSCWrapperMicrosoft.h"
#include "Zaz/ReaderStatus.h"

#include <winscard.h>

#include <memory>

namespace IAS {
namespace {
constexpr unsigned long kResetCard = 0x80100068;
constexpr unsigned long kNotTransacted = 0x80100016;
constexpr std::int32_t kMaxResponse = 258; // 256 data bytes and SW1 SW2
constexpr std::uint32_t kProtocolT0 = 1;
// One attempt at an exchange; false when it deserves the one retry: a PC/SC
// failure, or an answer without a status word (vpcd reports an exchange cut
// short by the card leaving as success with no bytes; the retry then meets
// the PC/SC error that names the reason).
bool transmitOnce(ZAZ::PCSCWrapper& wrapper, const ZAZ::ByteVector& command,
                  ZAZ::ByteVector& response) {
    try {
        wrapper.Transmit(command, response, kMaxResponse);
    } catch (const ZAZ::PCSCException& e) {
        if (e.getErrorCode() == 0) {
            throw;
        }
        return false;
    }
    return response.size() >= 2;
}
} // namespace

// Not copyable: it may own the connection (see operator=).
struct CZazTerminal::Record {
    std::unique_ptr<ZAZ::PCSCWrapper> owned;
    ZAZ::PCSCWrapper* wrapper = nullptr;
    std::string readerName;
    std::uint32_t state = 0;
    std::uint32_t protocol = 0;
    ZAZ::ByteVector atr;
    std::uint32_t exchangeCount = 0;

    void dropWrapper() noexcept {
        owned.reset();
        wrapper = nullptr;
    }
};

CZazTerminal::CZazTerminal() : m_record(new Record) {}

// A failure destroys the record and with it the wrapper, which disconnects.
CZazTerminal::CZazTerminal(const std::string& readerName) : m_record(new Record) {
    m_record->owned.reset(new ZAZ::PCSCWrapperMicrosoft());
    m_record->owned->Connect(readerName, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1);
    m_record->wrapper = m_record->owned.get();
    refreshStatus();
}

CZazTerminal::CZazTerminal(ZAZ::PCSCWrapper* wrapper) : m_record(new Record) {
    m_record->wrapper = wrapper;
    refreshStatus();
}

CZazTerminal& CZazTerminal::operator=(const CZazTerminal& other) {
    if (this != &other) {
        m_record->dropWrapper();
        m_record->wrapper = other.m_record->wrapper;
        m_record->exchangeCount = other.m_record->exchangeCount;
        refreshStatus();
    }
    return *this;
}

ZAZ::PCSCWrapper& CZazTerminal::requireWrapper() const {
    if (m_record->wrapper == nullptr) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError);
    }
    return *m_record->wrapper;
}

ZAZ::ByteVector CZazTerminal::atr() {
    requireWrapper();
    return m_record->atr;
}

std::string CZazTerminal::readerName() {
    requireWrapper();
    return m_record->readerName;
}

void CZazTerminal::reset() {
    requireWrapper().WarmReset();
}

void CZazTerminal::beginTransaction() {
    ZAZ::PCSCWrapper& wrapper = requireWrapper();
    try {
        wrapper.BeginTransaction();
        return;
    } catch (const ZAZ::PCSCException& e) {
        if (e.getErrorCode() == 0) {
            return;
        }
    }
    refreshStatus();
    wrapper.BeginTransaction();
}

void CZazTerminal::endTransaction() {
    ZAZ::PCSCWrapper& wrapper = requireWrapper();
    try {
        wrapper.EndTransaction();
        return;
    } catch (const ZAZ::PCSCException& e) {
        if (e.getErrorCode() == 0 || e.getErrorCode() == kNotTransacted) {
            return;
        }
    }
    refreshStatus();
    wrapper.EndTransaction();
}

void CZazTerminal::refreshStatus() {
    Record& r = *m_record;
    if (r.wrapper == nullptr) {
        r.readerName.clear();
        r.state = 0;
        r.protocol = 0;
        r.atr.clear();
        return;
    }
    ZAZ::ReaderStatus status;
    try {
        r.wrapper->Status(status);
    } catch (const ZAZ::PCSCException& e) {
        if (e.getErrorCode() == kResetCard) {
            r.wrapper->Reconnect();
            try {
                onCardReset();
            } catch (...) {
                // The hook must not stop the recovery.
            }
            r.wrapper->Status(status);
        } else if (e.getErrorCode() != 0) {
            throw;
        }
        // pcsc-lite reports the card state as a bit set (with an event count
        // in the upper half) and never sets SCARD_SPECIFIC, so a card that
        // came back from the reset counts as ready when it is powered.
        if ((status.state & SCARD_POWERED) == 0) {
            throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError);
        }
    }
    r.readerName = status.readerName;
    r.state = status.state;
    r.protocol = status.protocol;
    r.atr.assign(status.atr);
}

void CZazTerminal::transmit(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                            const ZAZ::ByteVectorBase& data, std::uint32_t le,
                            ZAZ::ByteVector& responseData, std::uint16_t& sw) {
    ZAZ::PCSCWrapper& wrapper = requireWrapper();
    if (data.size() >= 256 || le > 256) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
    }
    responseData.clear();
    const bool t0 = m_record->protocol == kProtocolT0;
    ZAZ::ByteVector command;
    for (std::uint8_t b : {cla, ins, p1, p2}) {
        command.appendByte(b);
    }
    const auto leByte = static_cast<std::uint8_t>(le & 0xFF);
    if (!data.empty()) {
        command.appendByte(static_cast<std::uint8_t>(data.size()));
        command.append(data);
        if (le != 0 && !t0) {
            command.appendByte(leByte);
        }
    } else if (le != 0) {
        command.appendByte(leByte);
    } else if (t0) {
        command.appendByte(0x00); // T=0 always needs P3
    }

    ZAZ::ByteVector response;
    if (!transmitOnce(wrapper, command, response)) {
        refreshStatus(); // reconnects a card that another application reset
        wrapper.Transmit(command, response, kMaxResponse);
    }
    ++m_record->exchangeCount;
    const std::int32_t n = response.size();
    if (n < 2) {
        // No status word to report: never read outside the answer.
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError);
    }
    sw = static_cast<std::uint16_t>((response.data()[n - 2] << 8) | response.data()[n - 1]);
    responseData.assign(response.data(), n - 2);
}

std::uint32_t CZazTerminal::exchangeCount() const {
    return m_record->exchangeCount;
}
ZAZ::PCSCWrapper* CZazTerminal::wrapper() const {
    return m_record->wrapper;
}
std::uint32_t CZazTerminal::protocol() const {
    return m_record->protocol;
}
std::uint32_t CZazTerminal::state() const {
    return m_record->state;
}

} // namespace IAS
