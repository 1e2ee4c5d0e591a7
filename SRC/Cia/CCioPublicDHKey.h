#ifndef CIA_CCIOPUBLICDHKEY_H
#define CIA_CCIOPUBLICDHKEY_H

#include "Cia/CCioKeyInfo.h"
#include "Cia/CCioObjectValue.h"
#include "Cia/CCioPublicKey.h"

namespace IAS {

/// A public Diffie-Hellman key: alternative [1] of the PuKDF. Neither the key nor its domain
/// parameters are decoded.
class CCioPublicDHKey : public CCioPublicKey {
public:
    /// Absent attributes: empty value, null key info.
    CCioPublicDHKey();
    /// Decodes one CIO element; a missing value is
    /// "Mandatory data member is missing.".
    explicit CCioPublicDHKey(const CCioFrame& frame);
    ~CCioPublicDHKey() override;

    /// A SEQUENCE of value, keyInfo unless null.
    ZAZ::ByteVector encodeTypeAttributes() const override;
    /// 1.
    int choice() const override;
    CCioPublicDHKey* clone() const override;

    /// Where the key is: a path, a URL or the key itself, as raw bytes.
    const CCioObjectValue& value() const;
    /// Null when absent.
    const CCioKeyInfo& keyInfo() const;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
