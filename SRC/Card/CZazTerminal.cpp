#include "Card/CZazTerminal.h"

#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"
#include "Zaz/PCSCException.h"
#include "Zaz/PCSCWrapperMicrosoft.h"
#include "Zaz/PcscCodes.h"
#include "Zaz/ReaderStatus.h"

#include <algorithm>
#include <memory>

namespace IAS {
namespace {
constexpr std::int32_t kMaxResponse = 258; // 256 data bytes and SW1 SW2
// Stands for an answer without a status word; no PC/SC result has this value.
constexpr unsigned long kNoStatusWord = 0xFFFFFFFFUL;

// What an operation of the terminal does with a failed attempt.
enum class Op { Begin, End, Exchange, StateChangingExchange, ChainContinuation };
enum class Verdict { Success, Retry, Fail };

// The terminal's one retry policy. `code` is the PC/SC result an attempt
// failed with, or kNoStatusWord.
// - Transactions: 0 is no failure, and so is "not transacted" when ending one.
// - Every failure of a transaction call or an exchange gets one more attempt
//   after a status refresh (which reconnects a card another application reset).
// - A command that changes card state (VERIFY, CHANGE REFERENCE DATA, RESET
//   RETRY COUNTER) goes to the card a second time only when PC/SC refused it
//   before it reached the card (reset or unpowered card). Any other failure,
//   an answer without status word included, may come after the card counted a
//   PIN try, so it is reported rather than spending a second one.
// - A piece of a chain after the first is never sent again: after a reset the
//   card has forgotten the earlier pieces and would act on the tail alone.
Verdict judge(Op op, unsigned long code) {
    if (code == 0) {
        return op == Op::Begin || op == Op::End ? Verdict::Success : Verdict::Fail;
    }
    if (op == Op::End && code == ZAZ::Pcsc::kNotTransacted) {
        return Verdict::Success;
    }
    if (op == Op::ChainContinuation) {
        return Verdict::Fail;
    }
    if (op == Op::StateChangingExchange && code != ZAZ::Pcsc::kResetCard &&
        code != ZAZ::Pcsc::kUnpoweredCard) {
        return Verdict::Fail;
    }
    return Verdict::Retry;
}

bool changesCardState(std::uint8_t ins) {
    return ins == 0x20 || ins == 0x24 || ins == 0x2C;
}

// Runs `attempt` (true when complete, false for an answer without a status
// word) under judge(); returns false when the last answer had no status word.
// A failure that gets no retry is still followed by the refresh when it left
// no PC/SC exception to report, so that the refresh names a removed card.
template <typename Attempt, typename Refresh>
bool withOneRetry(Op op, Attempt attempt, Refresh refresh) {
    for (int round = 0;; ++round) {
        try {
            if (attempt()) {
                return true;
            }
        } catch (const ZAZ::PCSCException& e) {
            const Verdict v = judge(op, e.getErrorCode());
            if (v == Verdict::Success) {
                return true;
            }
            if (v == Verdict::Fail || round == 1) {
                throw;
            }
            refresh();
            continue;
        }
        if (round == 1) {
            return false;
        }
        refresh();
        if (judge(op, kNoStatusWord) == Verdict::Fail) {
            return false;
        }
    }
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
    std::uint32_t resetCount = 0;
    bool chainContinues = false;

    void dropWrapper() noexcept {
        owned.reset();
        wrapper = nullptr;
    }
};

CZazTerminal::CZazTerminal() : m_record(new Record) {}

std::unique_ptr<ZAZ::PCSCWrapper> CZazTerminal::connect(const std::string& readerName) {
    std::unique_ptr<ZAZ::PCSCWrapper> wrapper(new ZAZ::PCSCWrapperMicrosoft());
    wrapper->Connect(readerName, ZAZ::Pcsc::kShareShared, ZAZ::Pcsc::kProtocolT0OrT1);
    return wrapper;
}

// A failure destroys the record and with it the wrapper, which disconnects.
CZazTerminal::CZazTerminal(const std::string& readerName) : m_record(new Record) {
    m_record->owned = connect(readerName);
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
        // Another connection: a selection made on the old one is not trusted.
        m_record->resetCount = std::max(m_record->resetCount, other.m_record->resetCount) + 1;
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
    withOneRetry(
        Op::Begin,
        [&] {
            wrapper.BeginTransaction();
            return true;
        },
        [this] { refreshStatus(); });
}

void CZazTerminal::endTransaction() {
    ZAZ::PCSCWrapper& wrapper = requireWrapper();
    withOneRetry(
        Op::End,
        [&] {
            wrapper.EndTransaction();
            return true;
        },
        [this] { refreshStatus(); });
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
        if (e.getErrorCode() == ZAZ::Pcsc::kResetCard) {
            ++r.resetCount; // even when the reconnect fails, the selection is gone
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
        // A card back from a reset must be ready. The state that names this,
        // SCARD_SPECIFIC (powered, protocol negotiated), is accepted, and so
        // is a powered card: pcsc-lite reports the state as a bit set (with an
        // event count in the upper half) and never sets SCARD_SPECIFIC.
        if ((status.state & (ZAZ::Pcsc::kStateSpecific | ZAZ::Pcsc::kStatePowered)) == 0) {
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
    const bool t0 = m_record->protocol == ZAZ::Pcsc::kProtocolT0;
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
    const Op op = m_record->chainContinues ? Op::ChainContinuation
                  : changesCardState(ins)  ? Op::StateChangingExchange
                                           : Op::Exchange;
    const bool complete = withOneRetry(
        op,
        [&] {
            wrapper.Transmit(command, response, kMaxResponse);
            return response.size() >= 2;
        },
        [this] { refreshStatus(); });
    ++m_record->exchangeCount;
    const std::int32_t n = response.size();
    if (!complete) {
        // No status word to report: never read outside the answer.
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError);
    }
    sw = static_cast<std::uint16_t>((response.data()[n - 2] << 8) | response.data()[n - 1]);
    responseData.assign(response.data(), n - 2);
}

std::uint32_t CZazTerminal::exchangeCount() const {
    return m_record->exchangeCount;
}
std::uint32_t CZazTerminal::resetCount() const {
    return m_record->resetCount;
}
void CZazTerminal::setChainContinues(bool continues) noexcept {
    m_record->chainContinues = continues;
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
