#ifndef CIA_CCIOPRIVATERSAKEY_H
#define CIA_CCIOPRIVATERSAKEY_H

#include "Cia/CCioKeyInfo.h"
#include "Cia/CCioPrivateKey.h"
#include "Fci/CCiaPath.h"

namespace IAS {

/// A private RSA key: the untagged alternative of the PrKDF.
class CCioPrivateRSAKey : public CCioPrivateKey {
public:
    /// Absent attributes: empty value, modulusLength -1, null key info.
    CCioPrivateRSAKey();
    /// Decodes one CIO element; a missing value or modulusLength is
    /// "Mandatory data member is missing.".
    explicit CCioPrivateRSAKey(const CCioFrame& frame);
    ~CCioPrivateRSAKey() override;

    /// A SEQUENCE of value, modulusLength unless -1, keyInfo unless null.
    ZAZ::ByteVector encodeTypeAttributes() const override;
    /// -1.
    int choice() const override;
    CCioPrivateRSAKey* clone() const override;

    /// The path of the key on the card.
    const CCiaPath& value() const;
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
