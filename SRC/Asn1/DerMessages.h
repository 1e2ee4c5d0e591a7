#ifndef ASN1_DERMESSAGES_H
#define ASN1_DERMESSAGES_H

// The fixed texts of DER decoding and encoding failures.
namespace IASSCU {
namespace Msg {
constexpr const char* kEmpty = "BER octet is empty.";
constexpr const char* kIllegalTagClass = "Illegal tag class.";
constexpr const char* kUnexpectedEnd = "Unexpected end of BER octet encountered.";
constexpr const char* kTagOverflow = "Tag overflow in BER octet.";
constexpr const char* kDataOverflow = "Data overflow in BER octet.";
constexpr const char* kIndefiniteLength = "Unexpected instance of indefinite length in BER octet.";
constexpr const char* kInconsistentLength = "Inconsistent data length in BER octet.";
constexpr const char* kInconsistentOperation =
    "The operation is inconsistent for this type of BER octet.";
constexpr const char* kMandatoryMissing = "Mandatory data member is missing.";
constexpr const char* kIllegalOid = "Illegal object identifier format.";
constexpr const char* kOidOverflow = "OID sub-identifier overflow in BER octet.";
} // namespace Msg
} // namespace IASSCU

#endif
