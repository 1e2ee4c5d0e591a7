#include <ias/CCiaInfoFile.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCiaInfoFile.h"

namespace ias {

namespace {
std::string textOf(const ZAZ::ByteVector& b) {
    return std::string(reinterpret_cast<const char*>(b.data()), static_cast<std::size_t>(b.size()));
}
} // namespace

struct CCiaInfoFile::Views {
    std::vector<SecurityEnvironmentInfo> seInfo;
    std::vector<std::pair<ContextTag, int>> recordInfo;
    std::vector<AlgorithmInfo> algorithms;
    std::vector<std::pair<ProfileType, std::string>> profiles;
};

CCiaInfoFile::CCiaInfoFile()
    : CCiaFile(MakeOwned<IAS::CCiaFile, IAS::CCiaInfoFile>()), m_views(MakeOwned<Views>()) {}

CCiaInfoFile::CCiaInfoFile(CIASCard& card, const CCiaPath& path) : CCiaInfoFile() {
    open(card, path);
}

// Every accessor reads the record of the internal file under the boundary.
#define IAS_INFO(expr)                                                                             \
    Guarded([&]() -> decltype(auto) {                                                              \
        const IAS::CCiaInfoFile::Record& r = FileAs<IAS::CCiaInfoFile>(internalFile()).info();     \
        return expr;                                                                               \
    })

int CCiaInfoFile::version() const {
    return IAS_INFO(static_cast<int>(r.version));
}
CBlob CCiaInfoFile::serialNumber() const {
    return IAS_INFO(BlobOf(r.serialNumber));
}
CBlob CCiaInfoFile::manufacturerId() const {
    return IAS_INFO(BlobOf(r.manufacturerID));
}
CBlob CCiaInfoFile::label() const {
    return IAS_INFO(BlobOf(r.label));
}
unsigned int CCiaInfoFile::cardflags() const {
    return IAS_INFO(static_cast<unsigned int>(r.cardflags));
}
CBlob CCiaInfoFile::issuerId() const {
    return IAS_INFO(BlobOf(r.issuerId));
}
CBlob CCiaInfoFile::holderId() const {
    return IAS_INFO(BlobOf(r.holderId));
}
CCiaLastUpdate CCiaInfoFile::lastUpdate() const {
    return IAS_INFO(CCiaLastUpdate(r.lastUpdate));
}
std::string CCiaInfoFile::preferredLanguage() const {
    return IAS_INFO(textOf(r.preferredLanguage));
}

const std::vector<CCiaInfoFile::SecurityEnvironmentInfo>& CCiaInfoFile::seInfo() const {
    return IAS_INFO(([&]() -> const std::vector<SecurityEnvironmentInfo>& {
        RebuildViews(
            m_views->seInfo, r.seInfo, [](const IAS::CCiaInfoFile::SecurityEnvironmentInfo& i) {
                SecurityEnvironmentInfo out = {static_cast<int>(i.se), i.owner, BlobOf(i.aid)};
                return out;
            });
        return m_views->seInfo;
    })());
}

const std::vector<std::pair<CCiaInfoFile::ContextTag, int>>& CCiaInfoFile::recordInfo() const {
    return IAS_INFO(([&]() -> const std::vector<std::pair<ContextTag, int>>& {
        RebuildViews(
            m_views->recordInfo, r.recordInfo, [](const std::pair<std::int32_t, std::int32_t>& p) {
                return std::make_pair(static_cast<ContextTag>(p.first), static_cast<int>(p.second));
            });
        return m_views->recordInfo;
    })());
}

const std::vector<CCiaInfoFile::AlgorithmInfo>& CCiaInfoFile::supportedAlgorithms() const {
    return IAS_INFO(([&]() -> const std::vector<AlgorithmInfo>& {
        RebuildViews(m_views->algorithms, r.supportedAlgorithms,
                     [](const IAS::CCiaInfoFile::AlgorithmInfo& a) {
                         AlgorithmInfo out = {static_cast<int>(a.reference),
                                              static_cast<int>(a.algorithm),
                                              BlobOf(a.parameters),
                                              static_cast<unsigned int>(a.supportedOperations),
                                              a.objId,
                                              static_cast<int>(a.algRef)};
                         return out;
                     });
        return m_views->algorithms;
    })());
}

const std::vector<std::pair<CCiaInfoFile::ProfileType, std::string>>&
CCiaInfoFile::profileIndication() const {
    return IAS_INFO(([&]() -> const std::vector<std::pair<ProfileType, std::string>>& {
        RebuildViews(m_views->profiles, r.profileIndication,
                     [](const std::pair<std::int32_t, std::string>& p) {
                         return std::make_pair(static_cast<ProfileType>(p.first), p.second);
                     });
        return m_views->profiles;
    })());
}

#undef IAS_INFO

} // namespace ias
