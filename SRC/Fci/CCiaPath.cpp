#include "Fci/CCiaPath.h"

#include "Asn1/CISOSequence.h"
#include "Asn1/CInteger.h"
#include "Asn1/CUniversalOctet.h"
#include "Asn1/TagClass.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

#include <utility>

namespace IAS {

namespace {
using IASSCU::CDerOctet;

using ZAZ::fail;

bool startsWithMf(const ZAZ::ByteVector& path) {
    return path.size() >= 2 && path[0] == 0x3F && path[1] == 0x00;
}

// An OCTET STRING member: primitive, and either universal 4 or implicitly tagged.
ZAZ::ByteVector octets(const CDerOctet& element) {
    if (element.isConstructed() ||
        (element.tagClass() == IASSCU::Universal && element.tagNumber() != 4)) {
        fail(ZAZ::Msg::kDecodingError);
    }
    return element.content();
}

template <IASSCU::ISOSequences N>
void setOctets(IASSCU::CISOSequence<N>& s, const char* name, const ZAZ::ByteVector& bytes) {
    s.setMember(name, IASSCU::COctetString(bytes));
}
} // namespace

struct CCiaPath::Record {
    std::int32_t kind = Derived;
    ZAZ::ByteVector aid{64};
    ZAZ::ByteVector efidOrPath{64};
    ZAZ::ByteVector tag{64};
    std::int32_t index = -1;
    std::int32_t length = -1;
};

CCiaPath::CCiaPath() : m_rec(new Record) {}

CCiaPath::CCiaPath(const ZAZ::ByteVectorBase& der) : CCiaPath() {
    decode(der);
}

void CCiaPath::decode(const ZAZ::ByteVectorBase& der) {
    const IASSCU::CISOSequence<IASSCU::Path> path{CDerOctet(der)};
    const CDerOctet& ref = path.member("objectRef");
    Record fresh;
    if (!ref.isConstructed() && ref.tagClass() == IASSCU::Universal && ref.tagNumber() == 4) {
        fresh.kind = EfidOrPath;
        fresh.efidOrPath = ref.content();
    } else if (ref.isConstructed() && ref.tagClass() == IASSCU::ContextSpecific) {
        switch (ref.tagNumber()) {
        case 0: {
            const IASSCU::CISOSequence<IASSCU::PathTagRef> s(ref);
            fresh.kind = TagRef;
            fresh.tag = octets(s.member("tag"));
            if (s.isPresent("efidOrPath")) {
                fresh.efidOrPath = octets(s.member("efidOrPath"));
            }
            break;
        }
        case 1: {
            const IASSCU::CISOSequence<IASSCU::PathAidRef> s(ref);
            fresh.kind = AidRef;
            fresh.aid = octets(s.member("aid"));
            fresh.efidOrPath = octets(s.member("efidOrPath"));
            break;
        }
        case 2: {
            const IASSCU::CISOSequence<IASSCU::PathAidTagRef> s(ref);
            fresh.kind = AidTagRef;
            fresh.aid = octets(s.member("aid"));
            fresh.tag = octets(s.member("tag"));
            if (s.isPresent("efidOrPath")) {
                fresh.efidOrPath = octets(s.member("efidOrPath"));
            }
            break;
        }
        default:
            fail(ZAZ::Msg::kDecodingError);
        }
    } else {
        fail(ZAZ::Msg::kDecodingError);
    }
    if (path.isPresent("index")) {
        if (!path.isPresent("length")) {
            fail(ZAZ::Msg::kDecodingError);
        }
        fresh.index = IASSCU::CInteger(path.member("index")).value();
        fresh.length = IASSCU::CInteger(path.member("length")).value();
    }
    std::swap(*m_rec, fresh);
}

ZAZ::ByteVector CCiaPath::encode() const {
    const Record& r = *m_rec;
    IASSCU::CISOSequence<IASSCU::Path> path;
    switch (kind()) {
    case TagRef: {
        IASSCU::CISOSequence<IASSCU::PathTagRef> s;
        setOctets(s, "tag", r.tag);
        if (!r.efidOrPath.empty()) {
            setOctets(s, "efidOrPath", r.efidOrPath);
        }
        s.assemble();
        s.CDerOctet::setTag(IASSCU::ContextSpecific, 0);
        path.setMember("objectRef", s);
        break;
    }
    case AidRef: {
        IASSCU::CISOSequence<IASSCU::PathAidRef> s;
        setOctets(s, "aid", r.aid);
        setOctets(s, "efidOrPath", r.efidOrPath);
        s.assemble();
        s.CDerOctet::setTag(IASSCU::ContextSpecific, 1);
        path.setMember("objectRef", s);
        break;
    }
    case AidTagRef: {
        IASSCU::CISOSequence<IASSCU::PathAidTagRef> s;
        setOctets(s, "aid", r.aid);
        setOctets(s, "tag", r.tag);
        if (!r.efidOrPath.empty()) {
            setOctets(s, "efidOrPath", r.efidOrPath);
        }
        s.assemble();
        s.CDerOctet::setTag(IASSCU::ContextSpecific, 2);
        path.setMember("objectRef", s);
        break;
    }
    default:
        path.setMember("objectRef", IASSCU::COctetString(r.efidOrPath));
    }
    if (r.index != -1 && r.length != -1) {
        path.setMember("index", IASSCU::CInteger(r.index));
        path.setMember("length", IASSCU::CInteger(r.length));
    }
    path.assemble();
    return path.encoding();
}

std::int32_t CCiaPath::kindField() const {
    return m_rec->kind;
}

std::int32_t CCiaPath::kind() const {
    const Record& r = *m_rec;
    if (r.kind != Derived) {
        return r.kind;
    }
    if (r.aid.empty()) {
        return r.tag.empty() ? EfidOrPath : TagRef;
    }
    return r.tag.empty() ? AidRef : AidTagRef;
}

ZAZ::ByteVector CCiaPath::aid() const {
    return m_rec->aid;
}
ZAZ::ByteVector CCiaPath::efidOrPath() const {
    return m_rec->efidOrPath;
}
ZAZ::ByteVector CCiaPath::tag() const {
    return m_rec->tag;
}
std::int32_t CCiaPath::index() const {
    return m_rec->index;
}
std::int32_t CCiaPath::length() const {
    return m_rec->length;
}

void CCiaPath::setAid(const ZAZ::ByteVectorBase& aid) {
    if (!aid.empty() && (m_rec->kind == EfidOrPath || m_rec->kind == TagRef)) {
        fail(ZAZ::Msg::kIllegalParameter);
    }
    m_rec->aid.assign(aid);
}

void CCiaPath::setEfidOrPath(const ZAZ::ByteVectorBase& efidOrPath) {
    m_rec->efidOrPath.assign(efidOrPath);
}

void CCiaPath::setTag(const ZAZ::ByteVectorBase& tag) {
    if (!tag.empty() && (m_rec->kind == EfidOrPath || m_rec->kind == AidRef)) {
        fail(ZAZ::Msg::kIllegalParameter);
    }
    m_rec->tag.assign(tag);
}

void CCiaPath::setIndex(std::int32_t index) {
    m_rec->index = index;
}

void CCiaPath::setLength(std::int32_t length) {
    m_rec->length = length;
}

bool CCiaPath::isNull() const {
    const Record& r = *m_rec;
    return r.kind == Derived && r.aid.empty() && r.efidOrPath.empty() && r.tag.empty();
}

bool CCiaPath::isAbsolute() const {
    return !m_rec->aid.empty() || startsWithMf(m_rec->efidOrPath);
}

bool CCiaPath::operator==(const CCiaPath& other) const {
    const Record& a = *m_rec;
    const Record& b = *other.m_rec;
    return kind() == other.kind() && a.aid == b.aid && a.efidOrPath == b.efidOrPath &&
           a.tag == b.tag && a.index == b.index && a.length == b.length;
}

CCiaPath CCiaPath::normalized() const {
    CCiaPath copy(*this);
    ZAZ::ByteVector& path = copy.m_rec->efidOrPath;
    if (path.size() % 2 == 1) {
        const unsigned char qualifier = path[path.size() - 1];
        if (qualifier == 0x08) {
            if (path.size() > 1 && !startsWithMf(path)) {
                path.insert(0, ZAZ::ByteVector("3F 00"));
            }
        } else if (qualifier != 0x00 && qualifier != 0x01 && qualifier != 0x02 &&
                   qualifier != 0x09) {
            fail(ZAZ::Msg::kIllegalParameter);
        }
        path.resize(path.size() - 1);
    }
    if (!copy.m_rec->aid.empty() && startsWithMf(path)) {
        fail(ZAZ::Msg::kIllegalParameter);
    }
    return copy;
}

CCiaPath CCiaPath::parent() const {
    const std::int32_t k = kind();
    if (m_rec->efidOrPath.empty() || (k != EfidOrPath && k != AidRef)) {
        fail(ZAZ::Msg::kUnknownError);
    }
    const CCiaPath copy = normalized();
    CCiaPath result;
    const ZAZ::ByteVector& path = copy.m_rec->efidOrPath;
    if (path.size() > 1) {
        result.m_rec->aid = copy.m_rec->aid;
        result.m_rec->efidOrPath.assign(path.data(), path.size() - 2);
    }
    return result;
}

CCiaPath CCiaPath::operator+(const CCiaPath& other) const {
    const auto plain = [](std::int32_t k) { return k == EfidOrPath || k == AidRef; };
    if (!plain(kind()) && !plain(other.kind())) {
        fail(ZAZ::Msg::kUnknownError);
    }
    CCiaPath b = other.normalized();
    if (b.isAbsolute()) {
        return b;
    }
    CCiaPath result = normalized();
    ZAZ::ByteVector& mine = result.m_rec->efidOrPath;
    const ZAZ::ByteVector& theirs = b.m_rec->efidOrPath;
    const std::int32_t n = mine.size();
    if (n > 1 && theirs.size() > 1 && mine[n - 2] == theirs[0] && mine[n - 1] == theirs[1]) {
        mine.append(ZAZ::ByteVectorBase(theirs, 2));
    } else {
        mine.append(theirs);
    }
    result.m_rec->index = b.m_rec->index;
    result.m_rec->length = b.m_rec->length;
    return result;
}

CCiaPath& CCiaPath::operator+=(const CCiaPath& other) {
    *this = *this + other;
    return *this;
}

CCiaPath CCiaPath::relativeToDF(const CCiaPath& df) const {
    return df + *this;
}

CCiaPath CCiaPath::relativeToEF(const CCiaPath& ef) const {
    return ef.parent() + *this;
}

} // namespace IAS
