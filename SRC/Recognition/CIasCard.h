#ifndef RECOGNITION_CIASCARD_H
#define RECOGNITION_CIASCARD_H

// Card recognition sits above the CIA files rather than beside the terminals:
// it reads EF.DIR through CApplicationDirectoryFile and keeps its templates.
// What it alone uses (CEfAtr, CObjectTable, CSharedMarker, the supported card
// list) lives beside it; ATR mask matching stays with the PC/SC wrapper.

#include "Card/CCiaCard.h"
#include "Cia/CApplicationTemplate.h"
#include "Recognition/CTransactedObject.h"
#include "Zaz/ByteVector.h"

#include <ias/Owned.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace IAS {

class CTerminal;

/// The card in a reader, recognised: a supported card by its ATR, with an IAS
/// application in EF.DIR, an IAS ECC card (type 1) or an older IAS card
/// (type 0) by EF.ATR/INFO. Building one also opens the reader's shared
/// object table and shared marker.
class CIasCard : public CTransactedObject {
public:
    /// Recognises the card, holding the terminal's reader lock throughout (a
    /// transaction is opened only once an APDU is sent). A card absent or not
    /// among the supported ones, or without an IAS application, is "The data
    /// format is not supported."; a terminal without a PC/SC connection "An
    /// unknown error occurred."; card and decoding failures pass unchanged.
    /// The reader lock is released on every way out.
    explicit CIasCard(const std::shared_ptr<CTerminal>& terminal);
    ~CIasCard() override;

    void invalidateSelection() override;
    /// Maximum response length 231 for an IAS ECC card, 255 otherwise.
    CCiaCard& cardObject() override;
    CTerminal& terminal() override;

    /// 1 for an IAS ECC card, 0 for an IAS card.
    std::int32_t cardType() const;
    /// Nibbles of byte 3 of the pre-issuing data (tag 46); 0 when absent.
    std::int32_t versionHigh() const;
    std::int32_t versionLow() const;
    /// Tag 4F of EF.ATR/INFO.
    const ZAZ::ByteVector& aid() const;
    const std::vector<CApplicationTemplate>& applications() const;

private:
    struct Record;
    std::unique_ptr<Record> m_rec;
};

} // namespace IAS

#endif
