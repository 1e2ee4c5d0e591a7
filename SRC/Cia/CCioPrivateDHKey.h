#ifndef CIA_CCIOPRIVATEDHKEY_H
#define CIA_CCIOPRIVATEDHKEY_H

#include "Cia/CCioKeyInfo.h"
#include "Cia/CCioPrivateKey.h"
#include "Fci/CCiaPath.h"

namespace IAS {

/// A private Diffie-Hellman key: alternative [1] of the PrKDF. Its domain parameters stay the raw
/// parameters of the key info.
class CCioPrivateDHKey : public CCioPrivateKey {
public:
    /// Absent attributes: empty value, null key info.
    CCioPrivateDHKey();
    /// Decodes one CIO element; a missing value is
    /// "Mandatory data member is missing.".
    explicit CCioPrivateDHKey(const CCioFrame& frame);
    ~CCioPrivateDHKey() override;

    /// A SEQUENCE of value, keyInfo unless null.
    ZAZ::ByteVector encodeTypeAttributes() const override;
    /// 1.
    int choice() const override;
    CCioPrivateDHKey* clone() const override;

    /// The path of the key on the card.
    const CCiaPath& value() const;
    /// Null when absent.
    const CCioKeyInfo& keyInfo() const;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
