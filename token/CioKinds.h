// The one table of CIO kinds on the client side: what EF.OD's choices name,
// what each element choice inside a directory file holds, and which of them
// the library's file readers decode.
#ifndef TOKEN_CIOKINDS_H
#define TOKEN_CIOKINDS_H

#include <string>

namespace token {

class CioKinds {
public:
    /// Element choices that are not a context tag number.
    enum : int { Universal = -1, OtherClass = -2 };

    /// "PrKDF", "PuKDF", "PuKDF (trusted)", "SKDF", "CDF", "CDF (trusted)",
    /// "CDF (useful)", "DODF", "AODF" for EF.OD choices 0 to 8, else "EF.OD [n]".
    static std::string fileName(int fileChoice);
    /// The element choice of a directory file element from its first tag
    /// byte: Universal for a SEQUENCE, n for a context tag [n], else OtherClass.
    static int elementChoice(unsigned char firstByte);
    /// "RSA private key", "X.509 certificate", "PIN", ...; for elements the
    /// standard does not define: "private key [5]", "APPLICATION class element".
    static std::string kindName(int fileChoice, int elementChoice, unsigned char firstByte = 0x30);
    /// Whether the library's reader for this file presents elements of this choice.
    static bool decoded(int fileChoice, int elementChoice);
    /// The directory files that hold keys, certificates, data objects, PINs.
    static bool holdsKeys(int fileChoice) { return fileChoice >= 0 && fileChoice <= 3; }
    static bool holdsCertificates(int fileChoice) { return fileChoice >= 4 && fileChoice <= 6; }
    static bool holdsData(int fileChoice) { return fileChoice == 7; }
    static bool holdsAuthObjects(int fileChoice) { return fileChoice == 8; }
};

} // namespace token

#endif
