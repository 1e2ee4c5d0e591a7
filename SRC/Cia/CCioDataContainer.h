#ifndef CIA_CCIODATACONTAINER_H
#define CIA_CCIODATACONTAINER_H

#include "Cia/CCioObject.h"
#include "Cia/CCioObjectFactory.h"
#include "Cia/CCioObjectValue.h"

#include <string>

namespace IAS {

/// A CIO of the data container directory: where a data object of the card is
/// and which application it belongs to. Absent class attributes are empty.
class CCioDataContainer : public CCioObject {
public:
    /// applicationName, applicationOID and iD, each written only when
    /// non-empty (an object with none is 30 00).
    ZAZ::ByteVector encodeClassAttributes() const override;
    ZAZ::ByteVector encodeSubClassAttributes() const override;

    /// UTF-8 octets as stored.
    ZAZ::ByteVector applicationName() const;
    /// OID text, decimal arcs separated by blanks.
    std::string applicationOID() const;
    ZAZ::ByteVector id() const;

protected:
    CCioDataContainer();
    /// The frame, common and class attributes of `der`; a wrong member there
    /// is "Error encountered while decoding format.".
    explicit CCioDataContainer(const CCioFrame& frame);

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

/// The two decoded alternatives share their type attributes: one ObjectValue.
class CCioValueDataContainer : public CCioDataContainer {
public:
    ZAZ::ByteVector encodeTypeAttributes() const override;
    const CCioObjectValue& value() const { return m_value; }

protected:
    CCioValueDataContainer() = default;
    explicit CCioValueDataContainer(const CCioFrame& frame);

private:
    CCioObjectValue m_value;
};

/// opaqueDO, the untagged alternative.
class CCioOpaqueDO : public CCioValueDataContainer {
public:
    CCioOpaqueDO() = default;
    explicit CCioOpaqueDO(const CCioFrame& frame) : CCioValueDataContainer(frame) {}
    int choice() const override { return -1; }
    CCioObject* clone() const override { return new CCioOpaqueDO(*this); }
};

/// iso7816DO [0].
class CCioIso7816DO : public CCioValueDataContainer {
public:
    CCioIso7816DO() = default;
    explicit CCioIso7816DO(const CCioFrame& frame) : CCioValueDataContainer(frame) {}
    int choice() const override { return 0; }
    CCioObject* clone() const override { return new CCioIso7816DO(*this); }
};

/// opaqueDO (-1) and iso7816DO (0); oidDO [1] has no decoder and is skipped.
template <> const std::vector<CioKind<CCioDataContainer>>& CioKinds<CCioDataContainer>::all();
template <> const char* const CioKinds<CCioDataContainer>::kInvalid;

} // namespace IAS

#endif
