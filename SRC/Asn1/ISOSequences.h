#ifndef ASN1_ISOSEQUENCES_H
#define ASN1_ISOSEQUENCES_H

namespace IASSCU {

/// Selects the member table of a CISOSequence: one value per ISO/IEC 7816-15
/// structure that the CIA decoders match.
enum ISOSequences {
    CiaDdo = 1,                         // providerId, odfPath, ciaInfoPath, aid
    CommonAuthenticationObjectAttr = 2, // authId, authReference, seIdentifier
    PasswordAttributes = 3,
    CiaInfo = 9,
    AlgorithmInfo = 10,
    SecurityEnvironmentInfo = 11,
    CredentialIdentifier = 12,
    CommonDataContainerObjectAttr = 13, // applicationName, applicationOID, iD
    X509CertificateAttributes = 15,
    RsaPublicKey = 19,
    Usage = 20,
    Path = 21,
    PathTagRef = 22,    // objectRef [0]: tag, efidOrPath
    PathAidRef = 23,    // objectRef [1]: aid, efidOrPath
    PathAidTagRef = 24, // objectRef [2]: aid, tag, efidOrPath
    CioObject = 25,     // the frame of every CIO
    CommonObjectAttributes = 26,
    CommonCertificateAttributes = 27,
    CommonKeyAttributes = 29,
    CommonPrivateKeyAttributes = 30,
    CommonPublicKeyAttributes = 31,
    PrivateDhKeyAttributes = 33,
    PublicDhKeyAttributes = 34,
    PrivateRsaKeyAttributes = 35,
    PublicRsaKeyAttributes = 36,
    AccessControlRule = 37,
    AuthReference = 38,
    Validity = 39,
    RecordInfo = 40,
    KeyInfo = 41
};

} // namespace IASSCU

#endif
