#include "token/CardType.h"

#include "token/CardTransaction.h"
#include "token/DerReader.h"

#include <cstring>

namespace token {

CardType::Kind CardType::probe(ias::CIASCard& card, const Token& t) {
    static const unsigned char kIasAid[] = {0xE8, 0x28, 0xBD, 0x08, 0x0F};
    bool ias = false;
    for (const ias::CApplicationTemplate& a : t.applications()) {
        const Bytes aid = ToBytes(a.aid());
        ias = ias || (aid.size() >= 5 && std::memcmp(aid.data(), kIasAid, 5) == 0);
    }
    if (!ias) {
        return Unknown;
    }
    Bytes info;
    try {
        ias::CCiaPath path; // relative: from the master file, as EF.DIR
        path.setEfidOrPath(ias::_HB("2F01"));
        const CardTransaction transaction(card);
        ias::CCiaFile file(card, path);
        file.load();
        info = ToBytes(file);
    } catch (const ias::CIASException&) {
        return Unknown;
    }
    // 1.3.162.15480.2 under tag 78 says IAS ECC; some cards encode its
    // second arc with 80 for 81.
    static const unsigned char kOid[] = {0x06, 0x06, 0x2B, 0x81, 0x22, 0xF8, 0x78, 0x02};
    DerReader r(info.data(), info.size());
    DerReader::Element e;
    for (r.skipFiller(); r.next(e); r.skipFiller()) {
        if (e.firstByte != 0x78) {
            continue;
        }
        unsigned char variant[sizeof kOid];
        std::memcpy(variant, kOid, sizeof kOid);
        variant[3] = 0x80;
        const bool ecc =
            e.length == sizeof kOid && (std::memcmp(e.contents, kOid, sizeof kOid) == 0 ||
                                        std::memcmp(e.contents, variant, sizeof kOid) == 0);
        return ecc ? IasEcc : Ias;
    }
    return Ias;
}

const char* CardType::name(Kind k) {
    return k == IasEcc ? "IAS ECC" : k == Ias ? "IAS" : "";
}

} // namespace token
