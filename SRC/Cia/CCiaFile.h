#ifndef CIA_CCIAFILE_H
#define CIA_CCIAFILE_H

#include "Asn1/CDerOctet.h"
#include "Card/CCiaCard.h"
#include "Fci/CCiaPath.h"
#include "Fci/CFileControlParameters.h"
#include "Zaz/ByteVector.h"

#include <ias/Owned.h>

#include <vector>

namespace IAS {

/// The protocol every file of the CIA follows: opened by path on a card (the
/// selection hands back the FCP, which fixes the file's extent), then loaded
/// from the card or from bytes the caller already holds, and parsed by the
/// file kind's own parser. Kinds derive and override parse() and encode().
class CCiaFile {
public:
    CCiaFile();
    virtual ~CCiaFile() = default;

    /// Selects `path` on `card` with its FCP. Anything but a transparent EF is
    /// "File type not consistent with usage."; a path without both index and
    /// length means the whole file: index 0 and the FCP's size, or length -1
    /// (read to the end) when the FCP gives none. A failure leaves the file
    /// as it was.
    void open(CCiaCard& card, const CCiaPath& path);
    /// Reads the whole file from the card, then load(bytes). Never opened:
    /// "An unknown error occurred.".
    void load();
    /// Parses `bytes` and keeps them as the content; a failed parse keeps both
    /// the previous content and the previous parsed state.
    void load(const ZAZ::ByteVectorBase& bytes);

    const ZAZ::ByteVector& content() const;
    const CFileControlParameters& fileControlParameters() const;
    const CCiaPath& path() const;
    /// The file's encoding: the content as loaded, or the kind's re-encoding.
    virtual ZAZ::ByteVector encode() const;

    /// The complete DER elements of a file's content, in order, with 00 and FF
    /// filler before, between and after them dropped; each is decoded here
    /// once and handed on as it is. A malformed element raises the DER
    /// decoder's message.
    static std::vector<IASSCU::CDerOctet> splitElements(const ZAZ::ByteVectorBase& bytes);
    /// The CHOICE value of an element of EF.OD or a directory file: -1
    /// universal, n for a context tag [n]; application or private class, and
    /// a tag number too large for a choice (it would wrap to a negative one),
    /// are "Error encountered while decoding format.".
    static int choiceOf(const IASSCU::CDerOctet& element);

protected:
    /// Decodes `bytes` into the kind's state, replacing it only on success.
    virtual void parse(const ZAZ::ByteVectorBase& bytes);

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
