#include "Card/CCard.h"

#include "Card/CTerminal.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/IsoException.h"
#include "Zaz/Messages.h"

#include <algorithm>
#include <optional>

namespace IAS {
namespace {
constexpr std::int32_t kMaxPiece = 255;
constexpr std::uint8_t kChainingBit = 0x10;
constexpr std::uint8_t kInsGetResponse = 0xC0;
// A card that answers 61xx for ever must not hold the caller for ever. 256
// rounds carry up to 64 KiB, more than any card object (a whole file, an FCP,
// a generated key) that comes back through GET RESPONSE.
constexpr int kMaxGetResponseRounds = 256;

bool isSuccess(std::uint16_t sw) {
    return sw == 0x9000;
}
bool isMoreData(std::uint16_t sw) {
    return (sw & 0xFF00) == 0x6100;
}

// Marks the end of a chain, however it ends.
class ChainMark {
public:
    explicit ChainMark(CTerminal& terminal) : m_terminal(terminal) {}
    ~ChainMark() { m_terminal.setChainContinues(false); }
    ChainMark(const ChainMark&) = delete;
    ChainMark& operator=(const ChainMark&) = delete;

private:
    CTerminal& m_terminal;
};
} // namespace

struct CCard::Record {
    CTerminal* terminal = nullptr;
    std::int32_t maxResponseLength = 256;
    std::uint8_t cla = 0x00;
    int transactionDepth = 0; // opened through this object, not yet closed
};

CCard::CCard() : m_record(new Record) {}

CCard::CCard(CTerminal* terminal) : CCard() {
    m_record->terminal = terminal;
}

void CCard::reset() {
    if (m_record->terminal == nullptr) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError);
    }
    m_record->terminal->reset();
}

void CCard::beginTransaction() {
    if (m_record->terminal == nullptr) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError);
    }
    m_record->terminal->beginTransaction();
    if (m_record->transactionDepth++ == 0) {
        onOutermostTransaction();
    }
}

void CCard::endTransaction() {
    if (m_record->terminal == nullptr) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError);
    }
    if (m_record->transactionDepth > 0) {
        --m_record->transactionDepth;
    }
    m_record->terminal->endTransaction();
}

int CCard::transactionDepth() const {
    return m_record->transactionDepth;
}

CCard::Transaction::Transaction(CCard& card) : m_card(card) {
    if (card.transactionDepth() == 0) {
        card.beginTransaction();
        m_own = true;
    }
}

CCard::Transaction::~Transaction() {
    if (m_own) {
        try {
            m_card.endTransaction();
        } catch (...) {
            // Left by an exception: that failure is the one to report.
        }
    }
}

void CCard::Transaction::end() {
    if (m_own) {
        m_own = false;
        m_card.endTransaction();
    }
}

CCardResponse CCard::transmit(const CCardCommand& command) {
    return exchange(command, 0);
}

CCardResponse CCard::transmitExpectingData(const CCardCommand& command) {
    return exchange(command, 256);
}

CCardResponse CCard::transmit(const CCardCommand& command, std::uint8_t le) {
    return exchange(command, le == 0 ? 256u : le);
}

void CCard::setMaxResponseLength(int n) {
    if (n < 1 || n > 256) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
    }
    m_record->maxResponseLength = n;
}

int CCard::maxResponseLength() const {
    return m_record->maxResponseLength;
}
CTerminal* CCard::terminal() const {
    return m_record->terminal;
}
std::uint8_t CCard::cla() const {
    return m_record->cla;
}

void CCard::verify(std::uint8_t reference, const ZAZ::ByteVectorBase& pin) {
    transmit(CCardCommand(m_record->cla, 0x20, 0x00, reference, pin));
}

void CCard::changeReferenceData(std::uint8_t p1, std::uint8_t reference,
                                const ZAZ::ByteVectorBase& data) {
    transmit(CCardCommand(m_record->cla, 0x24, p1, reference, data));
}

void CCard::resetRetryCounter(std::uint8_t p1, std::uint8_t reference,
                              const ZAZ::ByteVectorBase& data) {
    transmit(CCardCommand(m_record->cla, 0x2C, p1, reference, data));
}

CCardResponse CCard::exchange(const CCardCommand& command, std::uint32_t le,
                              std::uint16_t endWarning) {
    CTerminal* terminal = m_record->terminal;
    if (terminal == nullptr) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError);
    }
    const CCardCommand copy(command);
    const std::int32_t total = copy.data.size();
    std::int32_t offset = 0;
    ZAZ::ByteVector piece;
    ZAZ::ByteVector received;
    std::uint16_t sw = 0;
    // From the second piece on the terminal must not resend a piece. A chain
    // of several pieces goes out in one transaction (the caller's, or one of
    // its own): a command of another application between two pieces would
    // end the chain, and the card would take the tail for a whole command.
    const ChainMark mark(*terminal);
    std::optional<Transaction> chain;
    if (total > kMaxPiece) {
        chain.emplace(*this);
    }
    do {
        const std::int32_t remaining = total - offset;
        const bool last = remaining <= kMaxPiece;
        const std::int32_t length = last ? remaining : kMaxPiece;
        const std::uint8_t cla = last ? static_cast<std::uint8_t>(copy.cla & ~kChainingBit)
                                      : static_cast<std::uint8_t>(copy.cla | kChainingBit);
        piece.assign(copy.data.data() + offset, length);
        terminal->transmit(cla, copy.ins, copy.p1, copy.p2, piece, last ? le : 0, received, sw);
        if (last && endWarning != 0 && sw == endWarning) {
            return CCardResponse(sw, received);
        }
        if (!isSuccess(sw) && !isMoreData(sw)) {
            throw ZAZ::IsoException(sw, ZAZ::Msg::kIsoException);
        }
        offset += length;
        terminal->setChainContinues(offset < total);
    } while (offset < total);

    CCardResponse result(sw, received);
    const auto channel = static_cast<std::uint8_t>(copy.cla & 0x03);
    for (int round = 0; isMoreData(result.sw); ++round) {
        if (round == kMaxGetResponseRounds) {
            throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError);
        }
        const std::uint32_t available = result.sw & 0xFF;
        terminal->transmit(channel, kInsGetResponse, 0x00, 0x00, ZAZ::ByteVectorBase(),
                           available == 0 ? 256u : available, received, sw);
        if (!isSuccess(sw) && !isMoreData(sw) && (endWarning == 0 || sw != endWarning)) {
            throw ZAZ::IsoException(sw, ZAZ::Msg::kIsoException);
        }
        result.data.append(received);
        result.sw = sw;
    }
    return result;
}

} // namespace IAS
