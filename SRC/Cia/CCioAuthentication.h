#ifndef CIA_CCIOAUTHENTICATION_H
#define CIA_CCIOAUTHENTICATION_H

#include "Cia/CCioObject.h"
#include "Cia/CCioObjectFactory.h"
#include "Fci/CCiaPath.h"

#include <cstdint>
#include <string>

namespace IAS {

/// A CIO of the authentication object directory: a PIN, biometric template,
/// authentication key or external method, with the attributes all of them
/// share. Absent class attributes: empty authId, authReference and
/// seIdentifier -1.
class CCioAuthentication : public CCioObject {
public:
    /// authId when non-empty, authReference and seIdentifier ([0]) when not -1.
    ZAZ::ByteVector encodeClassAttributes() const override;
    ZAZ::ByteVector encodeSubClassAttributes() const override;

    ZAZ::ByteVector authId() const;
    std::int32_t authReference() const;
    std::int32_t seIdentifier() const;

protected:
    CCioAuthentication();
    explicit CCioAuthentication(const CCioFrame& frame);

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

/// pwd, the untagged alternative: a PIN and its format. The defaults are
/// those of an object whose attributes were never decoded: pwdFlags 0,
/// pwdType and the three lengths -1, pwdReference 0, padChar FF not defined,
/// no last change, empty path.
class CCioPasswordAuth : public CCioAuthentication {
public:
    CCioPasswordAuth();
    /// A missing mandatory attribute is "Mandatory data member is missing.";
    /// a padChar that is not a one-byte OCTET STRING and a constructed time
    /// are "Error encountered while decoding format.".
    explicit CCioPasswordAuth(const CCioFrame& frame);

    /// pwdType, minLength and storedLength unset, minLength above maxLength, or
    /// a storedLength other than 0 below maxLength: "Illegal parameter in
    /// function call.". pwdReference is always written.
    ZAZ::ByteVector encodeTypeAttributes() const override;
    int choice() const override { return -1; }
    CCioObject* clone() const override { return new CCioPasswordAuth(*this); }

    std::uint32_t pwdFlags() const;
    std::int32_t pwdType() const;
    std::int32_t minLength() const;
    std::int32_t storedLength() const;
    /// -1 when absent.
    std::int32_t maxLength() const;
    std::int32_t pwdReference() const;
    unsigned char padChar() const;
    bool padCharDefined() const;
    /// The GeneralizedTime text exactly as stored, zone letter or fraction
    /// included (no normalisation), so that re-encoding gives the same bytes.
    std::string lastPasswordChange() const;
    const CCiaPath& path() const;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

/// An authentication object kind without attributes of its own here
/// (biometricTemplate [0], authKey [1], external [2]): the common and class
/// attributes decoded, the type attributes kept as their DER bytes and written
/// back unchanged.
template <int N, class Base> class CCioDummy : public Base {
public:
    CCioDummy() = default;
    explicit CCioDummy(const CCioFrame& frame)
        : Base(frame), m_type(frame.typeAttributes().encoding()) {}

    ZAZ::ByteVector encodeTypeAttributes() const override { return m_type; }
    int choice() const override { return N; }
    CCioObject* clone() const override { return new CCioDummy(*this); }

private:
    ZAZ::ByteVector m_type;
};

/// pwd (-1) and the three placeholders (0, 1, 2).
template <> const std::vector<CioKind<CCioAuthentication>>& CioKinds<CCioAuthentication>::all();

} // namespace IAS

#endif
