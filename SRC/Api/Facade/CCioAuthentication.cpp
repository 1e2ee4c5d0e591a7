#include <ias/CCioAuthentication.h>
#include <ias/CCioPasswordAuth.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioAuthentication.h"

namespace ias {

namespace {
using Kind = IAS::CCioAuthentication;
using Password = IAS::CCioPasswordAuth;

// The password `self` presents; null for a placeholder of another kind.
const Password* PasswordOrNull(const CCioObject& self) {
    return dynamic_cast<const Password*>(&InternalAs<Kind>(self));
}

// A placeholder of another kind answers as a password without attributes.
const Password& PasswordOf(const CCioObject& self) {
    static const Password none;
    const Password* password = PasswordOrNull(self);
    return password != nullptr ? *password : none;
}

template <class Out, class R>
Out ReadPassword(const CCioObject& self, R (Password::*getter)() const) {
    return Read<Out>(PasswordOf(self), getter);
}
} // namespace

CCioAuthentication::~CCioAuthentication() {}

CBlob CCioAuthentication::authId() const {
    return Read<CBlob>(InternalAs<Kind>(*this), &Kind::authId);
}

int CCioAuthentication::authReference() const {
    return Read<int>(InternalAs<Kind>(*this), &Kind::authReference);
}

int CCioAuthentication::seIdentifier() const {
    return Read<int>(InternalAs<Kind>(*this), &Kind::seIdentifier);
}

CCioPasswordAuth::CCioPasswordAuth() {}

CCioPasswordAuth::CCioPasswordAuth(const CBlob& der) : m_object(DecodeAs<Kind, Password>(der)) {}

CCioPasswordAuth::CCioPasswordAuth(const Owned<Kind>& object) : m_object(object) {}

IAS::CCioObject* CCioPasswordAuth::getPrivateObject() const {
    return m_object.get();
}

int CCioPasswordAuth::choice() const {
    return CCioObject::choice();
}

unsigned int CCioPasswordAuth::pwdFlags() const {
    return ReadPassword<unsigned int>(*this, &Password::pwdFlags);
}

int CCioPasswordAuth::pwdType() const {
    return ReadPassword<int>(*this, &Password::pwdType);
}

int CCioPasswordAuth::minLength() const {
    return ReadPassword<int>(*this, &Password::minLength);
}

int CCioPasswordAuth::storedLength() const {
    return ReadPassword<int>(*this, &Password::storedLength);
}

int CCioPasswordAuth::maxLength() const {
    return ReadPassword<int>(*this, &Password::maxLength);
}

int CCioPasswordAuth::pwdReference() const {
    // A placeholder has no reference: 0, the DEFAULT, is one a real PIN has.
    return Guarded([&] {
        const Password* password = PasswordOrNull(*this);
        return password != nullptr ? static_cast<int>(password->pwdReference()) : -1;
    });
}

unsigned char CCioPasswordAuth::padChar() const {
    return ReadPassword<unsigned char>(*this, &Password::padChar);
}

bool CCioPasswordAuth::padCharDefined() const {
    return ReadPassword<bool>(*this, &Password::padCharDefined);
}

std::string CCioPasswordAuth::lastPasswordChange() const {
    return ReadPassword<std::string>(*this, &Password::lastPasswordChange);
}

CCiaPath CCioPasswordAuth::path() const {
    return ReadPassword<CCiaPath>(*this, &Password::path);
}

} // namespace ias
