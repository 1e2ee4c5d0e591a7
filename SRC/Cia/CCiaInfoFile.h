#ifndef CIA_CCIAINFOFILE_H
#define CIA_CCIAINFOFILE_H

#include "Cia/CCiaFile.h"
#include "Cia/CCiaLastUpdate.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace IAS {

/// EF.CIAInfo: what the CIA application says about itself. Strings are kept
/// as their content bytes, without character-set conversion.
class CCiaInfoFile : public CCiaFile {
public:
    struct SecurityEnvironmentInfo {
        std::int32_t se = 0;
        std::string owner; ///< OID text; empty when absent
        ZAZ::ByteVector aid;
    };
    struct AlgorithmInfo {
        std::int32_t reference = 0;
        std::int32_t algorithm = 0;
        ZAZ::ByteVector parameters; ///< the whole parameters element
        std::uint32_t supportedOperations = 0;
        std::string objId;
        std::int32_t algRef = -1;
    };
    struct Record {
        std::int32_t version = -1;
        ZAZ::ByteVector serialNumber;
        ZAZ::ByteVector manufacturerID;
        ZAZ::ByteVector label;
        std::uint32_t cardflags = 0;
        std::vector<SecurityEnvironmentInfo> seInfo;
        std::vector<std::pair<std::int32_t, std::int32_t>> recordInfo;
        std::vector<AlgorithmInfo> supportedAlgorithms;
        ZAZ::ByteVector issuerId;
        ZAZ::ByteVector holderId;
        CCiaLastUpdate lastUpdate;
        ZAZ::ByteVector preferredLanguage;
        std::vector<std::pair<std::int32_t, std::string>> profileIndication;
    };

    const Record& info() const { return m_info; }
    /// The record as one CIAInfo SEQUENCE; a recordInfo tag above 6 or a
    /// profile type other than 0 or 1 is "Illegal parameter in function call.".
    ZAZ::ByteVector encode() const override;

protected:
    /// The whole content is one element; a version other than 0 or 1 is "The
    /// data format is not supported.".
    void parse(const ZAZ::ByteVectorBase& bytes) override;

private:
    Record m_info;
};

} // namespace IAS

#endif
