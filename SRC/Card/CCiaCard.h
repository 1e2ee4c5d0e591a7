#ifndef CARD_CCIACARD_H
#define CARD_CCIACARD_H

#include "Card/CCard.h"

#include <cstdint>

namespace IAS {

class CFileControlParameters;
struct CCiaFileRecord;

/// The card object with ISO/IEC 7816-4 file access: SELECT with a cache of the
/// current selection (a repeated file costs nothing, a sibling one short
/// SELECT), READ BINARY in chunks of the maximum response length, and the
/// whole-file read of a CIA file with its content cache.
class CCiaCard : public CCard {
public:
    CCiaCard();
    explicit CCiaCard(CTerminal* terminal);
    // A copy has the card settings and the whole selection record.

    /// Warm reset; afterwards the master file is the current directory.
    void reset() override;
    void invalidateSelection();

    /// SELECT (INS A4) expecting up to 256 bytes; returns the response data.
    ZAZ::ByteVector select(std::uint8_t p1, std::uint8_t p2, const ZAZ::ByteVectorBase& data);
    /// As select(); on 6A82 or 6A86 the card is warm-reset and the SELECT sent once more.
    ZAZ::ByteVector selectWithRetry(std::uint8_t p1, std::uint8_t p2,
                                    const ZAZ::ByteVectorBase& data);
    /// SELECT of 3F00, learning once whether the card takes P1 00 or 01 (or neither).
    void selectMasterFile(std::uint8_t p2);
    /// Selects the file at `path` (file identifiers; a leading 3F00 makes it
    /// absolute and drops `aid`) below the application `aid` (may be empty).
    /// With fcpOut the card's FCP template is decoded into it. Any failure,
    /// a failed decode included, leaves the selection invalid. A reset by
    /// another application while selecting starts the selection over once.
    void selectFile(const ZAZ::ByteVectorBase& aid, const ZAZ::ByteVectorBase& path,
                    CFileControlParameters* fcpOut = nullptr);
    /// Same, handing back the raw SELECT response (FCP template) instead.
    void selectFileRaw(const ZAZ::ByteVectorBase& aid, const ZAZ::ByteVectorBase& path,
                       ZAZ::ByteVector* fcpResponse);
    /// count bytes of a transparent file from offset. fileId 0: the current
    /// file; 1..30: a short file identifier; above 31: a file identifier.
    /// A reset by another application since the selection or during the read
    /// fails it with the PC/SC reset code: the bytes could be another file's.
    /// 6986 (no current file) also makes the selection unknown.
    ZAZ::ByteVector readBinary(std::uint16_t fileId, std::int32_t offset, std::int32_t count);
    /// The current file from `offset` to its end, in chunks of the maximum
    /// response length, for a file whose size is not known: the file ends at
    /// a short answer, at 6B00 or 6282, or at 64 KiB (no offset reaches past).
    /// An offset outside 0..FFFF is "Illegal parameter in function call.".
    ZAZ::ByteVector readToEnd(std::int32_t offset);
    /// The whole content of a CIA file (path index and length; length 0 is an
    /// empty file, sending nothing; -1 is read to the end), served from the
    /// record's cache when it is loaded and current. The SELECT and the
    /// READ BINARYs run inside one transaction: the caller's, or one of its
    /// own (which forgets the selection first, so it costs one SELECT more).
    /// A failure leaves the record busy. The record's card must be set ("An
    /// unknown error occurred.").
    static ZAZ::ByteVector readFile(CCiaFileRecord& file);

    /// The selection cache, for inspection.
    bool selectionValid() const;
    const ZAZ::ByteVector& selectedAid() const;
    const ZAZ::ByteVector& selectedPath() const;
    const ZAZ::ByteVector& selectedParentPath() const;
    std::uint8_t mfSelectP1() const;

protected:
    /// The outermost transaction forgets the selection: before it another
    /// application could select, so the cache is trusted inside one only.
    void onOutermostTransaction() override;

private:
    ZAZ::ByteVector readRange(std::uint16_t fileId, std::int32_t offset, std::int32_t count,
                              bool toEnd);
    void selectOnce(const ZAZ::ByteVectorBase& aid, const ZAZ::ByteVectorBase& path,
                    ZAZ::ByteVector* fcpResponse, std::uint32_t resets);

    struct Selection;
    ias::Owned<Selection> m_selection;
};

} // namespace IAS

#endif
