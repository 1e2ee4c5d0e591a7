#include "Cia/CCioKey.h"

#include "Asn1/CBoolean.h"
#include "Asn1/CUniversalOctet.h"
#include "Cia/CioParts.h"

namespace IAS {

struct CCioKey::Record {
    ZAZ::ByteVector id;
    std::uint32_t usage = 0;
    bool native = true;
    std::uint32_t accessFlags = 0;
    bool accessFlagsDefined = false;
    std::int32_t keyReference = -1;
    std::string startDate;
    std::string endDate;
    std::vector<std::int32_t> algReference;
};

CCioKey::CCioKey() : m_rec(new Record) {}

CCioKey::~CCioKey() = default;

CCioKey::CCioKey(const CCioFrame& frame) : CCioObject(frame), m_rec(new Record) {
    const IASSCU::CDerOctet* attributes = frame.classAttributes();
    if (attributes == nullptr) {
        return;
    }
    const IASSCU::CISOSequence<IASSCU::CommonKeyAttributes> s{*attributes};
    Record& r = *m_rec;
    r.id = cio::octets<IASSCU::COctetString>(s, "iD");
    r.usage = cio::bits(s, "usage", 0);
    // An absent native holds its DEFAULT TRUE.
    r.native = IASSCU::CBoolean(s.member("native")).value();
    r.accessFlagsDefined = s.isPresent("accessFlags");
    r.accessFlags = cio::bits(s, "accessFlags", 0);
    r.keyReference = cio::integer(s, "keyReference", -1);
    r.startDate = cio::storedTime(s, "startDate");
    r.endDate = cio::storedTime(s, "endDate");
    if (s.isPresent("algReference")) {
        const IASSCU::CSequenceOf refs(s.member("algReference"));
        for (const IASSCU::CDerOctet* ref : refs.children()) {
            r.algReference.push_back(IASSCU::CInteger(*ref).value());
        }
    }
}

ZAZ::ByteVector CCioKey::encodeClassAttributes() const {
    const Record& r = *m_rec;
    IASSCU::CISOSequence<IASSCU::CommonKeyAttributes> s;
    s.setMember("iD", IASSCU::COctetString(r.id));
    s.setMember("usage", IASSCU::CBitString(r.usage));
    s.setMember("native", IASSCU::CBoolean(r.native));
    if (r.accessFlagsDefined) {
        s.setMember("accessFlags", IASSCU::CBitString(r.accessFlags));
    }
    if (r.keyReference != -1) {
        s.setMember("keyReference", IASSCU::CInteger(r.keyReference));
    }
    cio::setStoredTime(s, "startDate", r.startDate);
    cio::setStoredTime(s, "endDate", r.endDate);
    if (!r.algReference.empty()) {
        IASSCU::CSequenceOf refs;
        for (const std::int32_t ref : r.algReference) {
            refs.add(IASSCU::CInteger(ref));
        }
        s.setMember("algReference", refs);
    }
    return cio::assembled(s);
}

ZAZ::ByteVector CCioKey::id() const {
    return m_rec->id;
}

std::uint32_t CCioKey::usage() const {
    return m_rec->usage;
}

bool CCioKey::native() const {
    return m_rec->native;
}

std::uint32_t CCioKey::accessFlags() const {
    return m_rec->accessFlags;
}

bool CCioKey::accessFlagsDefined() const {
    return m_rec->accessFlagsDefined;
}

std::int32_t CCioKey::keyReference() const {
    return m_rec->keyReference;
}

std::string CCioKey::startDate() const {
    return m_rec->startDate;
}

std::string CCioKey::endDate() const {
    return m_rec->endDate;
}

const std::vector<std::int32_t>& CCioKey::algReference() const {
    return m_rec->algReference;
}

} // namespace IAS
