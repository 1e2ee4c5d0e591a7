#ifndef IAS_CCIAINFOFILE_H
#define IAS_CCIAINFOFILE_H

#include <ias/CCiaFile.h>
#include <ias/CCiaLastUpdate.h>

#include <string>
#include <utility>
#include <vector>

namespace ias {

/// EF.CIAInfo: version, serial number, manufacturer, label, flags, security
/// environments, record lengths, algorithms, last update, language and
/// profiles of the CIA. Strings are the stored bytes, not converted.
/// Absent members read as empty, -1 or 0. Throws ias::CIASException.
class IAS_API CCiaInfoFile : public CCiaFile {
public:
    /// The recordInfo members, by context tag.
    enum ContextTag {
        ODRecordLength = 0,
        PrKDRecordLength = 1,
        PuKDRecordLength = 2,
        SKDRecordLength = 3,
        CDRecordLength = 4,
        DCODRecordLength = 5,
        AODRecordLength = 6
    };
    /// How a profile is indicated: by object identifier or by name.
    enum ProfileType { ProfileOID = 0, ProfileName = 1 };
    struct SecurityEnvironmentInfo {
        int se;
        std::string owner; ///< OID text ("1 2 3"); empty when absent
        CBlob aid;         ///< empty when absent
    };
    struct AlgorithmInfo {
        int reference;
        int algorithm;
        CBlob parameters;                 ///< the whole DER parameters element
        unsigned int supportedOperations; ///< bit n of the BIT STRING as 2^n
        std::string objId;                ///< OID text
        int algRef;                       ///< -1 when absent
    };

    /// Unopened; load(bytes) parses without a card.
    CCiaInfoFile();
    /// Opens `path` on `card` (no handle check).
    CCiaInfoFile(CIASCard& card, const CCiaPath& path);

    /// 0 or 1 (any other value fails the load with "The data format is not
    /// supported."); -1 before a load.
    int version() const;
    CBlob serialNumber() const;
    CBlob manufacturerId() const;
    CBlob label() const;
    /// cardflags, bit n as 2^n.
    unsigned int cardflags() const;
    const std::vector<SecurityEnvironmentInfo>& seInfo() const;
    /// The record lengths present, in tag order.
    const std::vector<std::pair<ContextTag, int>>& recordInfo() const;
    const std::vector<AlgorithmInfo>& supportedAlgorithms() const;
    CBlob issuerId() const;
    CBlob holderId() const;
    CCiaLastUpdate lastUpdate() const;
    std::string preferredLanguage() const;
    /// (ProfileOID, OID text) or (ProfileName, the UTF8String bytes).
    const std::vector<std::pair<ProfileType, std::string>>& profileIndication() const;

private:
    struct Views;
    Owned<Views> m_views;
};

} // namespace ias

#endif
