#ifndef IAS_CCIOPASSWORDAUTH_H
#define IAS_CCIOPASSWORDAUTH_H

#include <ias/CCiaPath.h>
#include <ias/CCioAuthentication.h>
#include <ias/Owned.h>

#include <string>

namespace ias {

/// A password (PIN) object and its format. The authentication object file
/// presents every object through this class; choice() tells what it holds.
/// An object that is not a password (choice 0, 1 or 2) has the common and
/// authentication attributes, and its password accessors answer without
/// failing what a password with no attributes would: pwdFlags 0, pwdType and
/// the three lengths -1, pwdReference -1 (not 0, the default every PIN
/// without a reference decodes to; a card could still encode -1, so choice()
/// is what tells a placeholder), padChar 0xFF with padCharDefined false, an
/// empty lastPasswordChange and an empty path.
class IAS_API CCioPasswordAuth : public CCioAuthentication {
public:
    /// No internal object: every accessor throws.
    CCioPasswordAuth();
    /// Decodes one pwd element; malformed data throws CIASException.
    explicit CCioPasswordAuth(const CBlob& der);
    /// Presents `object` (used by the library; a directory file passes a view
    /// of one of its own objects).
    explicit CCioPasswordAuth(const Owned<IAS::CCioAuthentication>& object);

    IAS::CCioObject* getPrivateObject() const;
    /// -1 for a password; 0, 1, 2 for the other kinds.
    int choice() const;

    /// Flag bits (named bit n as 2^n).
    unsigned int pwdFlags() const;
    /// The password type (bcd, ascii-numeric, utf8, ...); -1 when not decoded.
    int pwdType() const;
    /// -1 when not decoded.
    int minLength() const;
    /// -1 when not decoded.
    int storedLength() const;
    /// -1 when absent.
    int maxLength() const;
    /// The reference the card knows the password by; 0 when absent (its
    /// DEFAULT); -1 for an object that is not a password.
    int pwdReference() const;
    /// The padding byte; 0xFF when none is defined.
    unsigned char padChar() const;
    bool padCharDefined() const;
    /// The GeneralizedTime text exactly as stored (zone letter kept, e.g.
    /// "20200131120000Z"); empty when absent.
    std::string lastPasswordChange() const;
    /// Where the password is checked; empty when absent.
    CCiaPath path() const;

private:
    Owned<IAS::CCioAuthentication> m_object;
};

} // namespace ias

#endif
