#include "Cia/CCiaLastUpdate.h"

#include "Asn1/CDerOctet.h"
#include "Asn1/TagClass.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

namespace IAS {

namespace {
[[noreturn]] void fail(const char* message) {
    throw ZAZ::CardFrameworkException(message);
}

std::int32_t typeOf(const IASSCU::CDerOctet& e) {
    if (e.tagClass() == IASSCU::Universal) {
        if (e.isConstructed()) {
            return e.tagNumber() == 16 ? CCiaLastUpdate::PathReference : -1;
        }
        switch (e.tagNumber()) {
        case 24:
            return CCiaLastUpdate::GeneralizedTime;
        case 19:
            return CCiaLastUpdate::PrintableString;
        case 22:
            return CCiaLastUpdate::IA5String;
        default:
            return -1;
        }
    }
    if (e.tagClass() == IASSCU::ContextSpecific && e.isConstructed() && e.tagNumber() == 3) {
        return CCiaLastUpdate::ContextReference;
    }
    return -1;
}
} // namespace

struct CCiaLastUpdate::Record {
    std::int32_t type = None;
    ZAZ::ByteVector encoding;
};

CCiaLastUpdate::CCiaLastUpdate() : m_rec(new Record) {}

CCiaLastUpdate::CCiaLastUpdate(const ZAZ::ByteVectorBase& der) : CCiaLastUpdate() {
    const IASSCU::CDerOctet element(der);
    const std::int32_t type = typeOf(element);
    if (type < 0) {
        fail(ZAZ::Msg::kIllegalParameter);
    }
    m_rec->type = type;
    m_rec->encoding = element.encoding();
}

std::int32_t CCiaLastUpdate::type() const {
    return m_rec->type;
}

const ZAZ::ByteVector& CCiaLastUpdate::encoding() const {
    return m_rec->encoding;
}

std::string CCiaLastUpdate::generalizedTime() const {
    if (m_rec->type != GeneralizedTime) {
        fail(ZAZ::Msg::kUnknownError);
    }
    const ZAZ::ByteVector text = IASSCU::CDerOctet(m_rec->encoding).content();
    return std::string(reinterpret_cast<const char*>(text.data()),
                       static_cast<std::size_t>(text.size()));
}

CCiaPath CCiaLastUpdate::path() const {
    if (m_rec->type != PathReference) {
        fail(ZAZ::Msg::kUnknownError);
    }
    return CCiaPath(m_rec->encoding);
}

} // namespace IAS
