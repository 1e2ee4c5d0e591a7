#ifndef CIA_CCIOPUBLICRSAKEY_H
#define CIA_CCIOPUBLICRSAKEY_H

#include "Cia/CCioKeyInfo.h"
#include "Cia/CCioObjectValue.h"
#include "Cia/CCioPublicKey.h"

namespace IAS {

/// A public RSA key: the untagged alternative of the PuKDF. The key material is not decoded.
class CCioPublicRSAKey : public CCioPublicKey {
public:
    /// Absent attributes: empty value, modulusLength -1, null key info.
    CCioPublicRSAKey();
    /// Decodes one CIO element; a missing value or modulusLength is
    /// "Mandatory data member is missing.".
    explicit CCioPublicRSAKey(const CCioFrame& frame);
    ~CCioPublicRSAKey() override;

    /// A SEQUENCE of value, modulusLength unless -1, keyInfo unless null.
    ZAZ::ByteVector encodeTypeAttributes() const override;
    /// -1.
    int choice() const override;
    CCioPublicRSAKey* clone() const override;

    /// Where the key is: a path, a URL or the key itself, as raw bytes.
    const CCioObjectValue& value() const;
    /// As stored on the card; -1 when absent.
    std::int32_t modulusLength() const;
    /// Null when absent.
    const CCioKeyInfo& keyInfo() const;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
