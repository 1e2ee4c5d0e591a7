#include "Cia/CCioAuthentication.h"

#include "Asn1/CEnum.h"
#include "Asn1/CISOSequence.h"
#include "Asn1/CUniversalOctet.h"
#include "Cia/CioFields.h"

namespace IAS {

using IASSCU::CDerOctet;

struct CCioAuthentication::Record {
    ZAZ::ByteVector authId;
    std::int32_t authReference = -1;
    std::int32_t seIdentifier = -1;

    static const cio::Field<Record> kFields[];
};

const cio::Field<CCioAuthentication::Record> CCioAuthentication::Record::kFields[] = {
    cio::field<cio::Octets<IASSCU::COctetString>, &Record::authId>("authId"),
    cio::field<cio::Int<-1>, &Record::authReference>("authReference"),
    cio::field<cio::Int<-1>, &Record::seIdentifier>("seIdentifier")};

CCioAuthentication::CCioAuthentication() : m_rec(new Record) {}

CCioAuthentication::CCioAuthentication(const CCioFrame& frame)
    : CCioObject(frame), m_rec(new Record) {
    if (const IASSCU::CDerOctet* attributes = frame.classAttributes()) {
        const IASSCU::CISOSequence<IASSCU::CommonAuthenticationObjectAttr> s{*attributes};
        cio::decodeFields(Record::kFields, s, *m_rec);
    }
}

ZAZ::ByteVector CCioAuthentication::encodeClassAttributes() const {
    IASSCU::CISOSequence<IASSCU::CommonAuthenticationObjectAttr> s;
    cio::encodeFields(Record::kFields, *m_rec, s);
    return cio::assembled(s);
}

ZAZ::ByteVector CCioAuthentication::encodeSubClassAttributes() const {
    return ZAZ::ByteVector();
}

ZAZ::ByteVector CCioAuthentication::authId() const {
    return m_rec->authId;
}

std::int32_t CCioAuthentication::authReference() const {
    return m_rec->authReference;
}

std::int32_t CCioAuthentication::seIdentifier() const {
    return m_rec->seIdentifier;
}

struct CCioPasswordAuth::Record {
    std::uint32_t pwdFlags = 0;
    std::int32_t pwdType = -1;
    std::int32_t minLength = -1;
    std::int32_t storedLength = -1;
    std::int32_t maxLength = -1;
    std::int32_t pwdReference = 0;
    unsigned char padChar = 0xFF;
    bool padCharDefined = false;
    std::string lastPasswordChange;
    CCiaPath path;
    bool hasPath = false;
};

CCioPasswordAuth::CCioPasswordAuth() : m_rec(new Record) {}

CCioPasswordAuth::CCioPasswordAuth(const CCioFrame& frame)
    : CCioAuthentication(frame), m_rec(new Record) {
    // No field table: the encoding is built by hand (below), and padChar and
    // path carry presence flags of their own.
    const IASSCU::CISOSequence<IASSCU::PasswordAttributes> s{frame.typeAttributes()};
    Record& r = *m_rec;
    r.pwdFlags = cio::bits(s, "pwdFlags", 0);
    r.pwdType = IASSCU::CEnum(s.member("pwdType")).value();
    r.minLength = cio::integer(s, "minLength", -1);
    r.storedLength = cio::integer(s, "storedLength", -1);
    r.maxLength = cio::integer(s, "maxLength", -1);
    r.pwdReference = cio::integer(s, "pwdReference", 0);
    if (s.isPresent("padChar")) {
        const ZAZ::ByteVector pad = IASSCU::COctetString(s.member("padChar")).content();
        if (pad.size() != 1) {
            cio::fail(ZAZ::Msg::kDecodingError);
        }
        r.padChar = pad[0];
        r.padCharDefined = true;
    }
    if (s.isPresent("lastPasswordChange")) {
        cio::Time::read(s.member("lastPasswordChange"), r.lastPasswordChange);
    }
    if (s.isPresent("path")) {
        r.path = CCiaPath(s.member("path").encoding());
        r.hasPath = true;
    }
}

ZAZ::ByteVector CCioPasswordAuth::encodeTypeAttributes() const {
    const Record& r = *m_rec;
    if (r.pwdType == -1 || r.minLength == -1 || r.storedLength == -1) {
        cio::fail(ZAZ::Msg::kIllegalParameter);
    }
    if (r.maxLength != -1 &&
        (r.minLength > r.maxLength || (r.storedLength != 0 && r.storedLength < r.maxLength))) {
        cio::fail(ZAZ::Msg::kIllegalParameter);
    }
    // Built by hand: the member table would drop pwdReference when it equals
    // its DEFAULT, and it is always written.
    CDerOctet s(IASSCU::Universal, true, 16);
    s.addChild(IASSCU::CBitString(r.pwdFlags));
    s.addChild(IASSCU::CEnum(r.pwdType));
    s.addChild(IASSCU::CInteger(r.minLength));
    s.addChild(IASSCU::CInteger(r.storedLength));
    if (r.maxLength != -1) {
        s.addChild(IASSCU::CInteger(r.maxLength));
    }
    IASSCU::CInteger reference(r.pwdReference);
    reference.setTag(IASSCU::ContextSpecific, 0);
    s.addChild(reference);
    if (r.padCharDefined) {
        s.addChild(IASSCU::COctetString(ZAZ::ByteVector(&r.padChar, 1)));
    }
    if (!r.lastPasswordChange.empty()) {
        CDerOctet time(IASSCU::Universal, false, 24);
        time.setContent(
            ZAZ::ByteVector(reinterpret_cast<const unsigned char*>(r.lastPasswordChange.data()),
                            static_cast<std::int32_t>(r.lastPasswordChange.size())));
        s.addChild(time);
    }
    if (r.hasPath) {
        s.addChild(CDerOctet(r.path.encode()));
    }
    return s.encoding();
}

std::uint32_t CCioPasswordAuth::pwdFlags() const {
    return m_rec->pwdFlags;
}

std::int32_t CCioPasswordAuth::pwdType() const {
    return m_rec->pwdType;
}

std::int32_t CCioPasswordAuth::minLength() const {
    return m_rec->minLength;
}

std::int32_t CCioPasswordAuth::storedLength() const {
    return m_rec->storedLength;
}

std::int32_t CCioPasswordAuth::maxLength() const {
    return m_rec->maxLength;
}

std::int32_t CCioPasswordAuth::pwdReference() const {
    return m_rec->pwdReference;
}

unsigned char CCioPasswordAuth::padChar() const {
    return m_rec->padChar;
}

bool CCioPasswordAuth::padCharDefined() const {
    return m_rec->padCharDefined;
}

std::string CCioPasswordAuth::lastPasswordChange() const {
    return m_rec->lastPasswordChange;
}

const CCiaPath& CCioPasswordAuth::path() const {
    return m_rec->path;
}

} // namespace IAS
