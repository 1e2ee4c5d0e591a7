#include "Cia/CCioDataContainer.h"

#include "Asn1/CISOSequence.h"
#include "Asn1/CObjectIdentifier.h"
#include "Asn1/CUniversalOctet.h"
#include "Cia/CioDer.h"

#include <utility>

namespace IAS {

struct CCioDataContainer::Record {
    ZAZ::ByteVector applicationName;
    std::string applicationOID;
    ZAZ::ByteVector id;
};

CCioDataContainer::CCioDataContainer() : m_rec(new Record) {}

CCioDataContainer::CCioDataContainer(const CCioFrame& frame)
    : CCioObject(frame), m_rec(new Record) {
    const IASSCU::CDerOctet* classAttributes = frame.classAttributes();
    if (classAttributes == nullptr) {
        return;
    }
    const IASSCU::CISOSequence<IASSCU::CommonDataContainerObjectAttr> s{*classAttributes};
    m_rec->applicationName = cio::octets<IASSCU::CUtf8String>(s, "applicationName");
    if (s.isPresent("applicationOID")) {
        m_rec->applicationOID = IASSCU::CObjectIdentifier(s.member("applicationOID")).toString();
    }
    m_rec->id = cio::octets<IASSCU::COctetString>(s, "iD");
}

ZAZ::ByteVector CCioDataContainer::encodeClassAttributes() const {
    const Record& r = *m_rec;
    IASSCU::CISOSequence<IASSCU::CommonDataContainerObjectAttr> s;
    if (!r.applicationName.empty()) {
        s.setMember("applicationName", IASSCU::CUtf8String(r.applicationName));
    }
    if (!r.applicationOID.empty()) {
        s.setMember("applicationOID", IASSCU::CObjectIdentifier(r.applicationOID));
    }
    if (!r.id.empty()) {
        s.setMember("iD", IASSCU::COctetString(r.id));
    }
    return cio::assembled(s);
}

ZAZ::ByteVector CCioDataContainer::encodeSubClassAttributes() const {
    return ZAZ::ByteVector();
}

ZAZ::ByteVector CCioDataContainer::applicationName() const {
    return m_rec->applicationName;
}

std::string CCioDataContainer::applicationOID() const {
    return m_rec->applicationOID;
}

ZAZ::ByteVector CCioDataContainer::id() const {
    return m_rec->id;
}

CCioValueDataContainer::CCioValueDataContainer(const CCioFrame& frame)
    : CCioDataContainer(frame), m_value(frame.typeAttributes().encoding()) {}

ZAZ::ByteVector CCioValueDataContainer::encodeTypeAttributes() const {
    return m_value.encode();
}

} // namespace IAS
