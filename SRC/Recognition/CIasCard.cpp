#include "Recognition/CIasCard.h"

#include "Asn1/CObjectIdentifier.h"
#include "Card/CIasTerminal.h"
#include "Cia/CApplicationDirectoryFile.h"
#include "Fci/CCiaPath.h"
#include "Recognition/CEfAtr.h"
#include "Recognition/CObjectTable.h"
#include "Recognition/CSharedMarker.h"
#include "Recognition/SupportedCards.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"
#include "Zaz/PCSCWrapper.h"

#include <algorithm>

namespace IAS {

namespace {

constexpr int kEccResponseLength = 231;
constexpr int kIasResponseLength = 255;
constexpr std::uint32_t kPresentAndMatched = SCARD_STATE_PRESENT | SCARD_STATE_ATRMATCH;

CCiaPath RelativePath(const ZAZ::ByteVector& fileId) {
    CCiaPath path;
    path.setEfidOrPath(fileId);
    return path;
}

bool IsIasApplication(const CApplicationTemplate& application) {
    const ZAZ::ByteVector& aid = application.aid();
    const ZAZ::ByteVector& prefix = IasAidPrefix();
    return aid.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), aid.begin());
}

/// Both encodings cards use for the IAS ECC identifier: the DER one and one
/// whose first subidentifier byte reads 80 instead of 81.
bool IsIasEccIdentifier(const ZAZ::ByteVector& value) {
    ZAZ::ByteVector oid = IASSCU::CObjectIdentifier(kIasEccOidText).encoding();
    if (value == oid) {
        return true;
    }
    oid.at(3) = 0x80;
    return value == oid;
}

/// The reader lock of an IasTerminal, taken without a transaction. Other
/// terminals have no reader lock and are used as they are.
class ReaderLock {
public:
    explicit ReaderLock(CTerminal& terminal) : m_terminal(dynamic_cast<CIasTerminal*>(&terminal)) {
        if (m_terminal != nullptr) {
            m_terminal->acquireLock(true);
        }
    }
    /// Releases now; a failure is thrown, so that a probe whose lock could
    /// not be given back does not count as a success.
    void release() {
        CIasTerminal* terminal = m_terminal;
        m_terminal = nullptr;
        if (terminal != nullptr) {
            terminal->releaseLock();
        }
    }
    ~ReaderLock() {
        if (m_terminal != nullptr) {
            try {
                m_terminal->releaseLock();
            } catch (const ZAZ::CardFrameworkException&) {
                // Unwinding already: the failure that got us here matters more.
            }
        }
    }
    ReaderLock(const ReaderLock&) = delete;
    ReaderLock& operator=(const ReaderLock&) = delete;

private:
    CIasTerminal* m_terminal;
};

void RequireSupportedCard(CTerminal& terminal) {
    auto* zaz = dynamic_cast<CZazTerminal*>(&terminal);
    ZAZ::PCSCWrapper* wrapper = zaz != nullptr ? zaz->wrapper() : nullptr;
    if (wrapper == nullptr) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError);
    }
    ZAZ::ReaderStatus status;
    wrapper->Status(status);
    wrapper->LocateCards(status, SupportedSmartCards());
    if ((status.state & kPresentAndMatched) != kPresentAndMatched) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kFormatNotSupported);
    }
}

} // namespace

struct CIasCard::Record {
    Record(CIasCard* o, const std::shared_ptr<CTerminal>& t)
        : owner(o), terminal(t), card(t.get()) {}

    CIasCard* owner;
    std::shared_ptr<CTerminal> terminal;
    CCiaCard card; // a fresh selection cache, not the probe's
    std::int32_t cardType = 0;
    std::int32_t versionHigh = 0;
    std::int32_t versionLow = 0;
    ZAZ::ByteVector aid;
    std::unique_ptr<CObjectTable> objectTable;
    std::unique_ptr<CSharedMarker> sharedMarker;
    std::vector<CApplicationTemplate> applications;
};

CIasCard::CIasCard(const std::shared_ptr<CTerminal>& terminal) {
    if (!terminal) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError);
    }
    CCiaCard probe(terminal.get());
    probe.setMaxResponseLength(kEccResponseLength);
    ReaderLock lock(*terminal);
    RequireSupportedCard(*terminal);

    // Both files in one transaction, so each is selected once.
    CCiaCard::Transaction transaction(probe);
    CApplicationDirectoryFile efDir;
    efDir.open(probe, RelativePath(EfDirId()));
    efDir.load();
    const std::vector<CApplicationTemplate>& applications = efDir.applicationTemplates();
    // The first IAS application decides; EF.ATR/INFO describes the whole card,
    // so which one matched changes nothing below.
    if (std::none_of(applications.begin(), applications.end(), IsIasApplication)) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kFormatNotSupported);
    }
    CCiaFile atrFile;
    atrFile.open(probe, RelativePath(EfAtrId()));
    atrFile.load();
    transaction.end();
    CEfAtr efAtr;
    efAtr.load(atrFile.content());

    std::unique_ptr<Record> rec(new Record(this, terminal));
    rec->aid = efAtr.get(0x4F);
    rec->cardType = IsIasEccIdentifier(efAtr.get(0x78)) ? 1 : 0;
    if (rec->cardType == 1) {
        const ZAZ::ByteVector preIssuing = efAtr.get(0x46);
        if (preIssuing.size() > 3) {
            rec->versionHigh = preIssuing[3] >> 4;
            rec->versionLow = preIssuing[3] & 0x0F;
        }
    }
    rec->applications = applications;
    rec->card.setMaxResponseLength(rec->cardType == 1 ? kEccResponseLength : kIasResponseLength);
    const std::string reader = terminal->readerName();
    rec->objectTable.reset(new CObjectTable(reader));
    rec->sharedMarker.reset(new CSharedMarker(reader));
    lock.release();
    m_rec = std::move(rec);
}

CIasCard::~CIasCard() = default;

void CIasCard::invalidateSelection() {
    m_rec->card.invalidateSelection();
}
CCiaCard& CIasCard::cardObject() {
    return m_rec->card;
}
CTerminal& CIasCard::terminal() {
    return *m_rec->terminal;
}
std::int32_t CIasCard::cardType() const {
    return m_rec->cardType;
}
std::int32_t CIasCard::versionHigh() const {
    return m_rec->versionHigh;
}
std::int32_t CIasCard::versionLow() const {
    return m_rec->versionLow;
}
const ZAZ::ByteVector& CIasCard::aid() const {
    return m_rec->aid;
}
const std::vector<CApplicationTemplate>& CIasCard::applications() const {
    return m_rec->applications;
}

} // namespace IAS
