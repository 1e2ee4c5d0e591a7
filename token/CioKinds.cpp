#include "token/CioKinds.h"

namespace token {

namespace {

struct Family {
    const char* suffix;       // appended to the element kind
    const char* const* kinds; // by element choice + 1 (Universal first)
    int count;                // entries in kinds
    const char* generic;      // for choices past the table
    int decodedMask;          // bit (choice + 1) set: the library decodes it
};

const char* const kKeys[] = {"RSA", "EC", "DH", "DSA", "KEA"};
const char* const kSecretKeys[] = {"generic"};
const char* const kCerts[] = {"X.509", "X.509 attribute", "SPKI",           "PGP",
                              "WTLS",  "X9.68",           "card-verifiable"};
const char* const kData[] = {"opaque", "ISO 7816", "OID"};
const char* const kAuth[] = {"PIN", "biometric", "authentication key", "external"};

// By EF.OD choice. Keys: RSA (SEQUENCE) and DH ([1]) are decoded; certificates:
// X.509; data objects: opaque and ISO 7816; authentication objects: all four.
const Family kFamilies[] = {
    {" private key", kKeys, 5, "private key", 0x5},
    {" public key", kKeys, 5, "public key", 0x5},
    {" public key", kKeys, 5, "public key", 0x5},
    {" secret key", kSecretKeys, 1, "secret key", 0x0},
    {" certificate", kCerts, 7, "certificate", 0x1},
    {" certificate", kCerts, 7, "certificate", 0x1},
    {" certificate", kCerts, 7, "certificate", 0x1},
    {" data object", kData, 3, "data object", 0x3},
    {"", kAuth, 4, "authentication object", 0xF},
};

const Family* FamilyOf(int fileChoice) {
    return fileChoice >= 0 && fileChoice <= 8 ? &kFamilies[fileChoice] : nullptr;
}

} // namespace

std::string CioKinds::fileName(int fileChoice) {
    static const char* const kNames[] = {"PrKDF",        "PuKDF", "PuKDF (trusted)",
                                         "SKDF",         "CDF",   "CDF (trusted)",
                                         "CDF (useful)", "DODF",  "AODF"};
    return fileChoice >= 0 && fileChoice <= 8 ? kNames[fileChoice]
                                              : "EF.OD [" + std::to_string(fileChoice) + "]";
}

int CioKinds::elementChoice(unsigned char firstByte) {
    if (firstByte == 0x30) {
        return Universal;
    }
    if ((firstByte & 0xC0) == 0x80 && (firstByte & 0x1F) != 0x1F) {
        return firstByte & 0x1F;
    }
    return OtherClass;
}

std::string CioKinds::kindName(int fileChoice, int elementChoice, unsigned char firstByte) {
    if (elementChoice == OtherClass) {
        static const char* const kClasses[] = {"universal", "APPLICATION", "context-specific",
                                               "PRIVATE"};
        return std::string(kClasses[firstByte >> 6]) + " class element";
    }
    const Family* f = FamilyOf(fileChoice);
    if (!f) {
        return "element";
    }
    const int i = elementChoice + 1; // Universal (-1) is entry 0
    if (i >= 0 && i < f->count) {
        return std::string(f->kinds[i]) + f->suffix;
    }
    return std::string(f->generic) + " [" + std::to_string(elementChoice) + "]";
}

bool CioKinds::decoded(int fileChoice, int elementChoice) {
    const Family* f = FamilyOf(fileChoice);
    const int i = elementChoice + 1;
    return f && i >= 0 && i < 31 && (f->decodedMask >> i) & 1;
}

} // namespace token
