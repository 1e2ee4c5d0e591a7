#ifndef CIA_CCIOOBJECT_H
#define CIA_CCIOOBJECT_H

#include "Cia/CCioAccessControlRule.h"
#include "Cia/CCioFrame.h"
#include "Zaz/ByteVector.h"

#include <ias/Owned.h>

#include <cstdint>
#include <vector>

namespace IAS {

/// The base of every CIO: the frame of common object attributes, class,
/// subclass and type attributes, of which this class decodes the first and
/// each subclass its own part, all from one matched CCioFrame.
class CCioObject {
public:
    virtual ~CCioObject();

    /// The DER encoding of the classAttributes SEQUENCE, the subClassAttributes
    /// and typeAttributes content elements; empty for none.
    virtual ZAZ::ByteVector encodeClassAttributes() const = 0;
    virtual ZAZ::ByteVector encodeSubClassAttributes() const = 0;
    virtual ZAZ::ByteVector encodeTypeAttributes() const = 0;
    /// -1 for the untagged CHOICE alternative of the object's file, n for [n].
    virtual int choice() const = 0;
    virtual CCioObject* clone() const = 0;

    /// UTF-8 octets as stored; empty when absent.
    ZAZ::ByteVector label() const;
    /// Named bits private (0x1) and modifiable (0x2); 0 when absent.
    std::uint32_t flags() const;
    ZAZ::ByteVector authId() const;
    /// -1 when absent.
    std::int32_t userConsent() const;
    const std::vector<CCioAccessControlRule>& accessControlRules() const;

    /// The whole CIO as a universal SEQUENCE: common attributes (flags always
    /// written), then the three attribute parts the subclass encodes.
    ZAZ::ByteVector encode() const;

protected:
    /// Absent common attributes.
    CCioObject();
    /// Decodes the common object attributes of `frame`.
    explicit CCioObject(const CCioFrame& frame);
    CCioObject(const CCioObject&) = default;
    CCioObject& operator=(const CCioObject&) = default;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
