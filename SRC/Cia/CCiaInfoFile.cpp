#include "Cia/CCiaInfoFile.h"

#include "Asn1/CBitString.h"
#include "Asn1/CISOSequence.h"
#include "Asn1/CInteger.h"
#include "Asn1/CObjectIdentifier.h"
#include "Asn1/CSequenceOf.h"
#include "Asn1/CUniversalOctet.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

namespace IAS {

namespace {
using IASSCU::CDerOctet;
using IASSCU::CSequence;

const char* const kRecordInfoNames[] = {"oDRecordLength",  "prKDRecordLength", "puKDRecordLength",
                                        "sKDRecordLength", "cDRecordLength",   "dCODRecordLength",
                                        "aODRecordLength"};
constexpr std::int32_t kRecordInfoTags = 7;

[[noreturn]] void fail(const char* message) {
    throw ZAZ::CardFrameworkException(message);
}

// Content bytes of an optional string member read through its typed view.
template <class View> ZAZ::ByteVector text(const CSequence& s, const char* name) {
    return s.isPresent(name) ? View(s.member(name)).value() : ZAZ::ByteVector();
}

template <class View> void setText(CSequence& s, const char* name, const ZAZ::ByteVector& bytes) {
    if (!bytes.empty()) {
        s.setMember(name, View(bytes));
    }
}

std::string oidText(const CSequence& s, const char* name) {
    return s.isPresent(name) ? IASSCU::CObjectIdentifier(s.member(name)).toString() : "";
}

std::string asString(const ZAZ::ByteVector& b) {
    return std::string(reinterpret_cast<const char*>(b.data()), static_cast<std::size_t>(b.size()));
}

ZAZ::ByteVector asBytes(const std::string& s) {
    return ZAZ::ByteVector(reinterpret_cast<const unsigned char*>(s.data()),
                           static_cast<std::int32_t>(s.size()));
}

std::int32_t integer(const CSequence& s, const char* name) {
    return IASSCU::CInteger(s.member(name)).value();
}

void decodeInto(CCiaInfoFile::Record& r, const ZAZ::ByteVectorBase& bytes) {
    const IASSCU::CISOSequence<IASSCU::CiaInfo> s{CDerOctet(bytes)};
    const std::int32_t version = integer(s, "version");
    if (static_cast<std::uint32_t>(version) > 1) {
        fail(ZAZ::Msg::kFormatNotSupported);
    }
    r.version = version;
    r.serialNumber = text<IASSCU::COctetString>(s, "serialNumber");
    r.manufacturerID = text<IASSCU::CUtf8String>(s, "manufacturerID");
    r.label = text<IASSCU::CUtf8String>(s, "label");
    r.cardflags = IASSCU::CBitString(s.member("cardflags")).toMask();
    if (s.isPresent("seInfo")) {
        for (const CDerOctet* child : s.member("seInfo").children()) {
            const IASSCU::CISOSequence<IASSCU::SecurityEnvironmentInfo> se(*child);
            r.seInfo.push_back(
                {integer(se, "se"), oidText(se, "owner"), text<IASSCU::COctetString>(se, "aid")});
        }
    }
    if (s.isPresent("recordInfo")) {
        const IASSCU::CISOSequence<IASSCU::RecordInfo> info(s.member("recordInfo"));
        for (std::int32_t tag = 0; tag < kRecordInfoTags; ++tag) {
            if (info.isPresent(kRecordInfoNames[tag])) {
                r.recordInfo.emplace_back(tag, integer(info, kRecordInfoNames[tag]));
            }
        }
    }
    if (s.isPresent("supportedAlgorithms")) {
        for (const CDerOctet* child : s.member("supportedAlgorithms").children()) {
            const IASSCU::CISOSequence<IASSCU::AlgorithmInfo> a(*child);
            CCiaInfoFile::AlgorithmInfo info;
            info.reference = integer(a, "reference");
            info.algorithm = integer(a, "algorithm");
            info.parameters = a.member("parameters").encoding();
            info.supportedOperations = IASSCU::CBitString(a.member("supportedOperations")).toMask();
            info.objId = oidText(a, "objId");
            info.algRef = a.isPresent("algRef") ? integer(a, "algRef") : -1;
            r.supportedAlgorithms.push_back(std::move(info));
        }
    }
    r.issuerId = text<IASSCU::CUtf8String>(s, "issuerId");
    r.holderId = text<IASSCU::CUtf8String>(s, "holderId");
    if (s.isPresent("lastUpdate")) {
        r.lastUpdate = CCiaLastUpdate(s.member("lastUpdate").encoding());
    }
    r.preferredLanguage = text<IASSCU::CPrintableString>(s, "preferredLanguage");
    if (s.isPresent("profileIndication")) {
        for (const CDerOctet* child : s.member("profileIndication").children()) {
            if (child->tagClass() == IASSCU::Universal && child->tagNumber() == 6) {
                r.profileIndication.emplace_back(0, IASSCU::CObjectIdentifier(*child).toString());
            } else if (child->tagClass() == IASSCU::Universal && child->tagNumber() == 12) {
                r.profileIndication.emplace_back(1, asString(IASSCU::CUtf8String(*child).value()));
            } else {
                fail(ZAZ::Msg::kDecodingError);
            }
        }
    }
}
} // namespace

void CCiaInfoFile::parse(const ZAZ::ByteVectorBase& bytes) {
    Record fresh;
    decodeInto(fresh, bytes);
    m_info = std::move(fresh);
}

ZAZ::ByteVector CCiaInfoFile::encode() const {
    const Record& r = m_info;
    IASSCU::CISOSequence<IASSCU::CiaInfo> s;
    s.setMember("version", IASSCU::CInteger(r.version));
    setText<IASSCU::COctetString>(s, "serialNumber", r.serialNumber);
    setText<IASSCU::CUtf8String>(s, "manufacturerID", r.manufacturerID);
    setText<IASSCU::CUtf8String>(s, "label", r.label);
    s.setMember("cardflags", IASSCU::CBitString(r.cardflags));
    if (!r.seInfo.empty()) {
        IASSCU::CSequenceOf list;
        for (const SecurityEnvironmentInfo& info : r.seInfo) {
            IASSCU::CISOSequence<IASSCU::SecurityEnvironmentInfo> se;
            se.setMember("se", IASSCU::CInteger(info.se));
            if (!info.owner.empty()) {
                se.setMember("owner", IASSCU::CObjectIdentifier(info.owner));
            }
            setText<IASSCU::COctetString>(se, "aid", info.aid);
            se.assemble();
            list.add(se);
        }
        s.setMember("seInfo", list);
    }
    if (!r.recordInfo.empty()) {
        IASSCU::CISOSequence<IASSCU::RecordInfo> info;
        for (const auto& entry : r.recordInfo) {
            if (entry.first < 0 || entry.first >= kRecordInfoTags) {
                fail(ZAZ::Msg::kIllegalParameter);
            }
            info.setMember(kRecordInfoNames[entry.first], IASSCU::CInteger(entry.second));
        }
        info.assemble();
        s.setMember("recordInfo", info);
    }
    if (!r.supportedAlgorithms.empty()) {
        IASSCU::CSequenceOf list;
        for (const AlgorithmInfo& info : r.supportedAlgorithms) {
            IASSCU::CISOSequence<IASSCU::AlgorithmInfo> a;
            a.setMember("reference", IASSCU::CInteger(info.reference));
            a.setMember("algorithm", IASSCU::CInteger(info.algorithm));
            a.setMember("parameters", CDerOctet(info.parameters));
            a.setMember("supportedOperations", IASSCU::CBitString(info.supportedOperations));
            a.setMember("objId", IASSCU::CObjectIdentifier(info.objId));
            if (info.algRef != -1) {
                a.setMember("algRef", IASSCU::CInteger(info.algRef));
            }
            a.assemble();
            list.add(a);
        }
        s.setMember("supportedAlgorithms", list);
    }
    setText<IASSCU::CUtf8String>(s, "issuerId", r.issuerId);
    setText<IASSCU::CUtf8String>(s, "holderId", r.holderId);
    if (r.lastUpdate.type() != CCiaLastUpdate::None) {
        s.setMember("lastUpdate", CDerOctet(r.lastUpdate.encoding()));
    }
    setText<IASSCU::CPrintableString>(s, "preferredLanguage", r.preferredLanguage);
    if (!r.profileIndication.empty()) {
        IASSCU::CSequenceOf list;
        for (const auto& p : r.profileIndication) {
            if (p.first == 0) {
                list.add(IASSCU::CObjectIdentifier(p.second));
            } else if (p.first == 1) {
                list.add(IASSCU::CUtf8String(asBytes(p.second)));
            } else {
                fail(ZAZ::Msg::kIllegalParameter);
            }
        }
        s.setMember("profileIndication", list);
    }
    s.assemble();
    return s.encoding();
}

} // namespace IAS
