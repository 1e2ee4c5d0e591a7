#include "Cia/CCioObjectValue.h"

#include "Asn1/CExplicitTag.h"
#include "Asn1/CUniversalOctet.h"
#include "Cia/CioDer.h"

#include <utility>

namespace IAS {

using IASSCU::CDerOctet;

struct CCioObjectValue::Record {
    int type = Unknown;
    ZAZ::ByteVector value;
};

CCioObjectValue::CCioObjectValue() : m_rec(new Record) {}

CCioObjectValue::CCioObjectValue(const ZAZ::ByteVectorBase& der)
    : CCioObjectValue(CDerOctet(der)) {}

CCioObjectValue::CCioObjectValue(const CDerOctet& element) : CCioObjectValue() {
    decode(element);
}

void CCioObjectValue::decode(const CDerOctet& e) {
    Record fresh;
    const bool constructed = e.isConstructed();
    if (cio::hasTag(e, IASSCU::ContextSpecific, 0) && constructed) {
        fresh.type = Direct;
        fresh.value = IASSCU::CExplicitTag(e).inner().encoding();
    } else if (cio::hasTag(e, IASSCU::Universal, 16) && constructed) {
        fresh.type = Path;
        fresh.value = e.encoding();
    } else if (cio::hasTag(e, IASSCU::Universal, 19) && !constructed) {
        fresh.type = PrintableUrl;
        fresh.value = e.content();
    } else if (cio::hasTag(e, IASSCU::Universal, 22) && !constructed) {
        fresh.type = Ia5Url;
        fresh.value = e.content();
    } else if (cio::hasTag(e, IASSCU::ContextSpecific, 3) && constructed) {
        CDerOctet digest(e);
        digest.setTag(IASSCU::Universal, 16);
        fresh.type = UrlWithDigest;
        fresh.value = digest.encoding();
    }
    std::swap(*m_rec, fresh);
}

ZAZ::ByteVector CCioObjectValue::encode() const {
    const Record& r = *m_rec;
    switch (r.type) {
    case Direct:
        return IASSCU::CExplicitTag(IASSCU::ContextSpecific, 0, CDerOctet(r.value)).encoding();
    case Path:
        return r.value;
    case PrintableUrl:
        return IASSCU::CPrintableString(r.value).encoding();
    case Ia5Url:
        return IASSCU::CIA5String(r.value).encoding();
    case UrlWithDigest: {
        CDerOctet digest(r.value);
        digest.setTag(IASSCU::ContextSpecific, 3);
        return digest.encoding();
    }
    default:
        return ZAZ::ByteVector();
    }
}

int CCioObjectValue::type() const {
    return m_rec->type;
}

ZAZ::ByteVector CCioObjectValue::value() const {
    return m_rec->value;
}

} // namespace IAS
