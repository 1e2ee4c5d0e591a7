#include "Fci/CFileControlParameters.h"

#include "Asn1/CBerTlv.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

#include <utility>

namespace IAS {

namespace {
constexpr unsigned int kFci = 0x6F;
constexpr unsigned int kFcp = 0x62;
constexpr std::int32_t kFieldCapacity = 32;

// The tags the decoder reads, each with its own slot.
constexpr unsigned int kTags[] = {0x80, 0x81, 0x82, 0x83, 0x84, 0x85,
                                  0x88, 0x8A, 0x8C, 0x9C, 0xA1, 0xA5};
constexpr int kSlots = sizeof kTags / sizeof kTags[0];

int slotOf(unsigned int tag) {
    for (int i = 0; i < kSlots; ++i) {
        if (kTags[i] == tag) {
            return i;
        }
    }
    return -1;
}

using ZAZ::fail;

// A concatenation of compact attributes, each as long as its access mode byte says.
std::vector<CSecurityAttributeCompact> decodeAttributes(const CBerTlv& element) {
    std::vector<CSecurityAttributeCompact> list;
    if (element.isNull()) {
        return list;
    }
    const ZAZ::ByteVectorBase value = element.valueView();
    std::int32_t offset = 0;
    while (offset < value.size()) {
        const ZAZ::ByteVectorBase rest(value, offset);
        list.emplace_back(rest);
        offset += CSecurityAttributeCompact::encodedSize(rest);
    }
    return list;
}

ZAZ::ByteVector encodeAttributes(const std::vector<CSecurityAttributeCompact>& list) {
    ZAZ::ByteVector out;
    for (const CSecurityAttributeCompact& attribute : list) {
        out.append(attribute.encode());
    }
    return out;
}
} // namespace

struct CFileControlParameters::Record {
    unsigned char descriptor = kNoDescriptor;
    std::uint32_t dataSize = 0;
    std::uint32_t totalSize = 0;
    bool sizeGiven = false;
    // Identifiers are a few bytes; no room for APDU-sized content is needed.
    ZAZ::ByteVector fileIdentifier{kFieldCapacity};
    ZAZ::ByteVector shortFileIdentifier{kFieldCapacity};
    ZAZ::ByteVector proprietaryBerTlv{kFieldCapacity};
    ZAZ::ByteVector proprietaryNonBerTlv{kFieldCapacity};
    unsigned char lifeCycle = 0;
    std::vector<CSecurityAttributeCompact> primary;
    std::vector<CSecurityAttributeCompact> secondary;
    bool inA1 = false;
    ZAZ::ByteVector dfName{kFieldCapacity};
};

CFileControlParameters::CFileControlParameters() : m_rec(new Record) {}

CFileControlParameters::CFileControlParameters(const ZAZ::ByteVector& fcp)
    : CFileControlParameters() {
    decode(fcp);
}

void CFileControlParameters::decode(const ZAZ::ByteVector& fcp) {
    CBerTlv outer(fcp);
    if (outer.tag() != kFci && outer.tag() != kFcp) {
        fail(ZAZ::Msg::kDecodingError);
    }
    if (outer.tag() == kFci) {
        CBerTlv inner = outer.child(kFcp);
        if (!inner.isNull()) {
            outer = std::move(inner);
        }
    }
    // One scan of the template; a tag we read that occurs twice is refused when
    // its turn comes, as a unique-child lookup would.
    const std::vector<CBerTlv> children = outer.children();
    const CBerTlv* found[kSlots] = {};
    bool twice[kSlots] = {};
    for (const CBerTlv& child : children) {
        const int slot = slotOf(child.tag());
        if (slot >= 0) {
            twice[slot] = found[slot] != nullptr;
            found[slot] = found[slot] != nullptr ? found[slot] : &child;
        }
    }
    const auto get = [&](unsigned int tag) -> const CBerTlv* {
        const int slot = slotOf(tag);
        if (twice[slot]) {
            fail(ZAZ::Msg::kDecodingError);
        }
        return found[slot];
    };
    Record fresh;
    if (const CBerTlv* e = get(0x82)) {
        fresh.descriptor = e->toUInt8();
    }
    if (const CBerTlv* e = get(0x80)) {
        fresh.dataSize = e->toUInt16();
        fresh.sizeGiven = true;
    }
    if (const CBerTlv* e = get(0x81)) {
        fresh.totalSize = e->toUInt16();
        fresh.sizeGiven = true;
    }
    if (const CBerTlv* e = get(0x83)) {
        fresh.fileIdentifier.assign(e->valueView());
    }
    if (const CBerTlv* e = get(0x88)) {
        const ZAZ::ByteVectorBase v = e->valueView();
        if (v.size() > 1) {
            fail(ZAZ::Msg::kDecodingError);
        }
        fresh.shortFileIdentifier.appendByte(v.empty() ? kNoShortFileId : v.data()[0]);
    }
    if (const CBerTlv* e = get(0xA5)) {
        fresh.proprietaryBerTlv.assign(e->valueView());
    }
    if (const CBerTlv* e = get(0x85)) {
        fresh.proprietaryNonBerTlv.assign(e->valueView());
    }
    if (const CBerTlv* e = get(0x8A)) {
        fresh.lifeCycle = e->toUInt8();
    }
    const CBerTlv* a1 = get(0xA1);
    fresh.inA1 = a1 != nullptr;
    if (fresh.inA1) {
        fresh.primary = decodeAttributes(a1->child(0x8C));
        fresh.secondary = decodeAttributes(a1->child(0x9C));
    } else {
        const CBerTlv* primary = get(0x8C);
        const CBerTlv* secondary = get(0x9C);
        fresh.primary = decodeAttributes(primary != nullptr ? *primary : CBerTlv::nullElement());
        fresh.secondary =
            decodeAttributes(secondary != nullptr ? *secondary : CBerTlv::nullElement());
    }
    if (const CBerTlv* e = get(0x84)) {
        fresh.dfName.assign(e->valueView());
    }
    std::swap(*m_rec, fresh);
}

ZAZ::ByteVector CFileControlParameters::encode() const {
    const Record& r = *m_rec;
    CBerTlv fcp(kFcp, 0);
    if (r.dataSize > 0) {
        fcp += CBerTlv(0x80, 0).setUInt16(static_cast<std::uint16_t>(r.dataSize));
    }
    if (r.totalSize > 0) {
        fcp += CBerTlv(0x81, 0).setUInt16(static_cast<std::uint16_t>(r.totalSize));
    }
    if (r.descriptor < kNoDescriptor) {
        fcp += CBerTlv(0x82, 0).setUInt8(r.descriptor);
    }
    if (!r.fileIdentifier.empty()) {
        fcp += CBerTlv(0x83, r.fileIdentifier);
    }
    if (r.shortFileIdentifier.size() == 1) {
        const unsigned char sfi = r.shortFileIdentifier[0];
        fcp += sfi == kNoShortFileId ? CBerTlv(0x88, 0) : CBerTlv(0x88, 0).setUInt8(sfi);
    }
    if (!r.proprietaryBerTlv.empty()) {
        fcp += CBerTlv(0xA5, r.proprietaryBerTlv);
    }
    if (!r.proprietaryNonBerTlv.empty()) {
        fcp += CBerTlv(0x85, r.proprietaryNonBerTlv);
    }
    if (!r.primary.empty() || !r.secondary.empty()) {
        CBerTlv a1(0xA1, 0);
        CBerTlv& holder = r.inA1 ? a1 : fcp;
        if (!r.primary.empty()) {
            holder += CBerTlv(0x8C, encodeAttributes(r.primary));
        }
        if (!r.secondary.empty()) {
            holder += CBerTlv(0x9C, encodeAttributes(r.secondary));
        }
        if (r.inA1) {
            fcp += a1;
        }
    }
    if (!r.dfName.empty()) {
        fcp += CBerTlv(0x84, r.dfName);
    }
    return fcp.encode();
}

unsigned char CFileControlParameters::descriptor() const {
    return m_rec->descriptor;
}
std::uint32_t CFileControlParameters::dataSize() const {
    return m_rec->dataSize;
}
std::uint32_t CFileControlParameters::totalSize() const {
    return m_rec->totalSize;
}
std::uint32_t CFileControlParameters::size() const {
    return m_rec->dataSize != 0 ? m_rec->dataSize : m_rec->totalSize;
}
bool CFileControlParameters::sizeGiven() const {
    return m_rec->sizeGiven;
}
ZAZ::ByteVector CFileControlParameters::fileIdentifier() const {
    return m_rec->fileIdentifier;
}
ZAZ::ByteVector CFileControlParameters::shortFileIdentifier() const {
    return m_rec->shortFileIdentifier;
}
ZAZ::ByteVector CFileControlParameters::proprietaryBerTlvData() const {
    return m_rec->proprietaryBerTlv;
}
ZAZ::ByteVector CFileControlParameters::proprietaryNonBerTlvData() const {
    return m_rec->proprietaryNonBerTlv;
}
unsigned char CFileControlParameters::lifeCycleStatus() const {
    return m_rec->lifeCycle;
}
const std::vector<CSecurityAttributeCompact>&
CFileControlParameters::primarySecurityAttributes() const {
    return m_rec->primary;
}
const std::vector<CSecurityAttributeCompact>&
CFileControlParameters::secondarySecurityAttributes() const {
    return m_rec->secondary;
}
bool CFileControlParameters::securityAttributesInA1() const {
    return m_rec->inA1;
}
ZAZ::ByteVector CFileControlParameters::dfName() const {
    return m_rec->dfName;
}

} // namespace IAS
