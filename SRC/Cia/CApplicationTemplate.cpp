#include "Cia/CApplicationTemplate.h"

#include "Asn1/CBerTlv.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

namespace IAS {

namespace {
constexpr unsigned int kTemplate = 0x61;
constexpr unsigned int kAid = 0x4F;
constexpr unsigned int kLabel = 0x50;
constexpr unsigned int kPath = 0x51;
constexpr unsigned int kNonBerTlv = 0x53;
constexpr unsigned int kBerTlv = 0x73;

// The value of the unique child `tag`; empty when there is none.
ZAZ::ByteVector valueOf(const CBerTlv& parent, unsigned int tag) {
    const CBerTlv child = parent.child(tag);
    return child.isNull() ? ZAZ::ByteVector() : child.value();
}
} // namespace

struct CApplicationTemplate::Record {
    ZAZ::ByteVector aid;
    ZAZ::ByteVector label;
    ZAZ::ByteVector path;
    ZAZ::ByteVector berTlv;
    ZAZ::ByteVector nonBerTlv;
};

CApplicationTemplate::CApplicationTemplate() : m_rec(new Record) {}

CApplicationTemplate::CApplicationTemplate(const ZAZ::ByteVector& bytes) : CApplicationTemplate() {
    const CBerTlv element(bytes);
    if (element.tag() != kTemplate) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kDecodingError);
    }
    Record& r = *m_rec;
    r.aid = valueOf(element, kAid);
    r.label = valueOf(element, kLabel);
    r.path = valueOf(element, kPath);
    r.nonBerTlv = valueOf(element, kNonBerTlv);
    const CBerTlv ber = element.child(kBerTlv);
    if (!ber.isNull()) {
        r.berTlv = ber.encode();
    }
}

const ZAZ::ByteVector& CApplicationTemplate::aid() const {
    return m_rec->aid;
}
const ZAZ::ByteVector& CApplicationTemplate::label() const {
    return m_rec->label;
}
const ZAZ::ByteVector& CApplicationTemplate::path() const {
    return m_rec->path;
}
const ZAZ::ByteVector& CApplicationTemplate::discretionaryDONonBerTlv() const {
    return m_rec->nonBerTlv;
}
const ZAZ::ByteVector& CApplicationTemplate::discretionaryDOBerTlv() const {
    return m_rec->berTlv;
}

ZAZ::ByteVector CApplicationTemplate::encode() const {
    const Record& r = *m_rec;
    CBerTlv out(kTemplate, ZAZ::ByteVector());
    const std::pair<unsigned int, const ZAZ::ByteVector*> fields[] = {
        {kAid, &r.aid}, {kLabel, &r.label}, {kPath, &r.path}, {kNonBerTlv, &r.nonBerTlv}};
    for (const auto& f : fields) {
        if (!f.second->empty()) {
            out += CBerTlv(f.first, *f.second);
        }
    }
    if (!r.berTlv.empty()) {
        out += CBerTlv(kBerTlv, CBerTlv(r.berTlv).value());
    }
    return out.encode();
}

} // namespace IAS
