#ifndef CIA_CCIOKEY_H
#define CIA_CCIOKEY_H

#include "Cia/CCioObject.h"

#include <cstdint>
#include <string>
#include <vector>

namespace IAS {

/// The attributes every key shares (CommonKeyAttributes). The start and end
/// dates are the content octets of their GeneralizedTime as stored, zone
/// letter and any fraction included ("20240131120000Z"), and are written back
/// unchanged, so decoding and encoding a key gives back the same date bytes.
class CCioKey : public CCioObject {
public:
    ~CCioKey() override;

    /// iD, usage and native (left out when TRUE), then each optional member
    /// that is present: accessFlags when defined, keyReference unless -1,
    /// dates unless empty, algReference unless empty.
    ZAZ::ByteVector encodeClassAttributes() const override;

    ZAZ::ByteVector id() const;
    /// KeyUsageFlags, named bit n as 2^n; 0 when the key has no class attributes.
    std::uint32_t usage() const;
    /// True unless present as FALSE.
    bool native() const;
    /// KeyAccessFlags; 0 when absent.
    std::uint32_t accessFlags() const;
    /// Whether accessFlags was present (possibly without any bit set).
    bool accessFlagsDefined() const;
    /// -1 when absent.
    std::int32_t keyReference() const;
    /// The stored time text; empty when absent.
    std::string startDate() const;
    std::string endDate() const;
    /// In file order; empty when absent.
    const std::vector<std::int32_t>& algReference() const;

protected:
    /// No class attributes: empty id, usage 0, native, no access flags, keyReference -1.
    CCioKey();
    /// Decodes the frame in `der` and, when present, its classAttributes. A
    /// constructed iD or date is "Error encountered while decoding format.".
    explicit CCioKey(const CCioFrame& frame);
    CCioKey(const CCioKey&) = default;
    CCioKey& operator=(const CCioKey&) = default;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
