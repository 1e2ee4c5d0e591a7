#include "CardObjects.h"

#include "token/CioKinds.h"
#include "token/DerReader.h"

#include <openssl/x509.h>

#include <algorithm>
#include <memory>

namespace p11 {

namespace {

Value V(const token::Bytes& b) {
    return Value(b.begin(), b.end());
}

// An INTEGER's contents without the sign byte a positive one may carry.
Value Unsigned(const token::DerReader::Element& e) {
    const unsigned char* p = e.contents;
    std::size_t n = e.length;
    while (n > 1 && *p == 0x00) {
        ++p;
        --n;
    }
    return Value(p, p + n);
}

// Modulus and public exponent from an RSAPublicKey or a SubjectPublicKeyInfo
// holding one; false for anything else.
bool RsaNumbers(const unsigned char* der, std::size_t size, Value& n, Value& e, int depth = 0) {
    token::DerReader r(der, size);
    token::DerReader::Element outer, first, second;
    if (!r.next(outer) || outer.firstByte != 0x30) {
        return false;
    }
    token::DerReader parts = outer.children();
    if (!parts.next(first) || !parts.next(second)) {
        return false;
    }
    if (first.firstByte == 0x02 && second.firstByte == 0x02) {
        n = Unsigned(first);
        e = Unsigned(second);
        return !n.empty() && !e.empty();
    }
    // SubjectPublicKeyInfo: the BIT STRING holds the RSAPublicKey after its
    // unused-bits byte.
    if (depth == 0 && first.firstByte == 0x30 && second.firstByte == 0x03 && second.length > 1) {
        return RsaNumbers(second.contents + 1, second.length - 1, n, e, 1);
    }
    return false;
}

CK_ULONG Bits(const Value& modulus) {
    if (modulus.empty()) {
        return 0;
    }
    CK_ULONG bits = (modulus.size() - 1) * 8;
    for (unsigned char top = modulus[0]; top; top >>= 1) {
        ++bits;
    }
    return bits;
}

// What one X.509 certificate gives the objects: names, serial, key numbers.
struct CertFacts {
    Value der, subject, issuer, serial, modulus, exponent;
};

bool ParseCertificate(const token::Bytes& bytes, CertFacts& f) {
    const unsigned char* p = bytes.data();
    std::unique_ptr<X509, decltype(&X509_free)> x(
        d2i_X509(nullptr, &p, static_cast<long>(bytes.size())), X509_free);
    if (!x) {
        return false;
    }
    f.der.assign(bytes.data(), p); // the certificate alone, without the file's filler
    auto encode = [](const auto* object, auto i2d) {
        unsigned char* out = nullptr;
        const int len = i2d(object, &out);
        Value v(out, out + (len > 0 ? len : 0));
        OPENSSL_free(out);
        return v;
    };
    f.subject = encode(X509_get_subject_name(x.get()), i2d_X509_NAME);
    f.issuer = encode(X509_get_issuer_name(x.get()), i2d_X509_NAME);
    f.serial = encode(X509_get_serialNumber(x.get()), i2d_ASN1_INTEGER);
    const Value spki = encode(X509_get_X509_PUBKEY(x.get()), i2d_X509_PUBKEY);
    RsaNumbers(spki.data(), spki.size(), f.modulus, f.exponent);
    return true;
}

void CommonStorage(Attributes& a, CK_OBJECT_CLASS cls, const token::CioEntry& e, bool isPrivate) {
    a.setUlong(CKA_CLASS, cls);
    a.setBool(CKA_TOKEN, true);
    a.setBool(CKA_PRIVATE, isPrivate);
    a.setBool(CKA_MODIFIABLE, false);
    a.setBool(CKA_COPYABLE, false);
    a.setBool(CKA_DESTROYABLE, false);
    a.set(CKA_LABEL, V(e.label));
}

void KeyCommon(Attributes& a, const token::CioEntry& e, CK_KEY_TYPE type) {
    a.setUlong(CKA_KEY_TYPE, type);
    a.set(CKA_ID, V(e.id));
    a.set(CKA_START_DATE, Value());
    a.set(CKA_END_DATE, Value());
    a.setBool(CKA_DERIVE, false);
    a.setBool(CKA_LOCAL, false);
    a.setUlong(CKA_KEY_GEN_MECHANISM, CK_UNAVAILABLE_INFORMATION);
}

// The authId a security condition names: itself, or the first an and/or
// names (a "not" names none that guards).
token::Bytes ConditionAuthId(const ias::CCioSecurityCondition& c, int depth = 0) {
    if (depth > 8) {
        return token::Bytes();
    }
    if (c.type() == 2) {
        return token::ToBytes(c.authId());
    }
    if (c.type() == 5 || c.type() == 6) {
        for (const ias::CCioSecurityCondition& sub : c.type() == 5 ? c.andSc() : c.orSc()) {
            const token::Bytes id = ConditionAuthId(sub, depth + 1);
            if (!id.empty()) {
                return id;
            }
        }
    }
    return token::Bytes();
}

// The PIN guarding an object: its authId, else the one the access rule for
// reading (or, for keys, using) names.
token::Bytes GuardingAuthId(const token::CioEntry& e) {
    if (!e.authId.empty() || !e.object) {
        return e.authId;
    }
    try {
        for (const ias::CCioAccessControlRule& r : e.object->accessControlRules()) {
            if (!r.isNull() && (r.accessMode() & 0x5)) { // read or execute
                const token::Bytes id = ConditionAuthId(r.securityCondition());
                if (!id.empty()) {
                    return id;
                }
            }
        }
    } catch (const ias::CIASException&) {
    }
    return token::Bytes();
}

// "1.2.840.113549" as a DER OBJECT IDENTIFIER; empty for text that is not one.
Value OidDer(const std::string& dotted) {
    std::vector<unsigned long> arcs;
    std::size_t at = 0;
    while (at < dotted.size()) {
        std::size_t end = dotted.find_first_of(". ", at);
        end = end == std::string::npos ? dotted.size() : end;
        const std::string arc = dotted.substr(at, end - at);
        if (arc.empty() || arc.size() > 9 ||
            arc.find_first_not_of("0123456789") != std::string::npos) {
            return Value();
        }
        arcs.push_back(std::stoul(arc));
        at = end + 1;
    }
    if (arcs.size() < 2 || arcs[0] > 2 || (arcs[0] < 2 && arcs[1] > 39)) {
        return Value();
    }
    Value body;
    arcs[1] += arcs[0] * 40;
    for (std::size_t i = 1; i < arcs.size(); ++i) {
        unsigned char digits[8];
        int n = 0;
        unsigned long v = arcs[i];
        do {
            digits[n++] = static_cast<unsigned char>(v & 0x7F);
            v >>= 7;
        } while (v);
        while (n-- > 0) {
            body.push_back(static_cast<unsigned char>(digits[n] | (n ? 0x80 : 0)));
        }
    }
    if (body.size() > 127) {
        return Value();
    }
    Value out{0x06, static_cast<unsigned char>(body.size())};
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

bool Usage(unsigned int usage, unsigned int bit) {
    return usage != 0xFFFFFFFFu && (usage & (1u << bit)) != 0;
}

} // namespace

bool CardObjects::loginRequired() const {
    for (const Object& o : m_objects) {
        if (o.pin >= 0) {
            return true;
        }
    }
    return false;
}

namespace {

// What the card can do with the key; null when it can do nothing this
// module offers (no reference, or no announced algorithm fits its usage).
std::shared_ptr<const KeyUse> UseOf(const ias::CCioPrivateRSAKey& k, const token::Token& t) {
    const ias::CCiaInfoFile* info = t.ciaInfo();
    KeyUse use = KeyUse::build(k.usage(), k.algReference(),
                               info ? info->supportedAlgorithms()
                                    : std::vector<ias::CCiaInfoFile::AlgorithmInfo>());
    const int reference = k.keyReference();
    const int bits = k.modulusLength();
    if (use.mechanisms.empty() || reference < 0 || reference > 0xFF || bits <= 0) {
        return nullptr;
    }
    use.reference = static_cast<unsigned char>(reference);
    use.modulusBytes = (static_cast<CK_ULONG>(bits) + 7) / 8;
    use.alwaysAuthenticate = k.userConsent() > 0;
    try {
        use.path = t.resolve(k.value());
        use.hasPath = true;
    } catch (const ias::CIASException&) {
        // No path: the key is sought in the DF current after the PIN's.
    }
    return std::make_shared<const KeyUse>(std::move(use));
}

} // namespace

CardObjects CardObjects::build(ias::CIASCard& card, const token::Token& t,
                               CK_OBJECT_HANDLE& nextHandle) {
    CardObjects c;
    // The PINs: every PIN of the AODF but unblocking and SO PINs; kept
    // below only when an object names it.
    std::vector<Pin> all;
    for (const token::CioEntry& e : t.entries()) {
        const auto* p = e.as<ias::CCioPasswordAuth>();
        if (!p || e.fileChoice != 8 || e.choice != token::CioKinds::Universal) {
            continue;
        }
        Pin pin;
        try {
            pin.label = std::string(e.label.begin(), e.label.end());
            pin.authId = e.id;
            const int ref = p->pwdReference();
            pin.flags = p->pwdFlags();
            if (ref < 0 || ref > 0xFF || (pin.flags & (Pin::Unblocking | Pin::SecurityOfficer))) {
                continue;
            }
            pin.reference = static_cast<unsigned char>(ref);
            pin.pwdType = p->pwdType();
            pin.minLength = static_cast<unsigned long>(std::max(0, p->minLength()));
            pin.maxLength = static_cast<unsigned long>(std::max(0, p->maxLength()));
            pin.storedLength = static_cast<unsigned long>(std::max(0, p->storedLength()));
            pin.padDefined = p->padCharDefined();
            pin.padChar = static_cast<unsigned char>(p->padChar());
            const ias::CCiaPath path = p->path();
            pin.hasPath = path.efidOrPath().size() > 0 || path.aid().size() > 0;
            pin.path = path;
        } catch (const ias::CIASException&) {
            continue;
        }
        all.push_back(pin);
    }
    auto pinOf = [&](const token::Bytes& authId) -> int {
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (!authId.empty() && all[i].authId == authId) {
                return static_cast<int>(i);
            }
        }
        return -1;
    };

    // Certificates first: their values give the keys' numbers.
    std::vector<std::pair<token::Bytes, CertFacts>> certs;
    for (const token::CioEntry& e : t.entries()) {
        const auto* x = e.as<ias::CCioX509Certificate>();
        if (!x) {
            continue;
        }
        CertFacts f;
        try {
            if (!ParseCertificate(t.objectValue(card, x->value()), f)) {
                continue;
            }
        } catch (const ias::CIASException&) {
            continue; // a certificate the card does not give is left out
        }
        Object o;
        bool authority = false;
        try {
            authority = x->authority();
        } catch (const ias::CIASException&) {
        }
        CommonStorage(o.attrs, CKO_CERTIFICATE, e, false);
        o.attrs.setUlong(CKA_CERTIFICATE_TYPE, CKC_X_509);
        o.attrs.setBool(CKA_TRUSTED, e.fileChoice == 5);
        // 1 token user, 2 authority, 3 other entity.
        o.attrs.setUlong(CKA_CERTIFICATE_CATEGORY, authority || e.fileChoice == 5 ? 2
                                                   : e.fileChoice == 6            ? 3
                                                                                  : 1);
        o.attrs.set(CKA_ID, V(e.id));
        o.attrs.set(CKA_VALUE, f.der);
        o.attrs.set(CKA_SUBJECT, f.subject);
        o.attrs.set(CKA_ISSUER, f.issuer);
        o.attrs.set(CKA_SERIAL_NUMBER, f.serial);
        o.attrs.set(CKA_START_DATE, Value());
        o.attrs.set(CKA_END_DATE, Value());
        o.attrs.set(CKA_URL, Value());
        o.attrs.set(CKA_HASH_OF_SUBJECT_PUBLIC_KEY, Value());
        o.attrs.set(CKA_HASH_OF_ISSUER_PUBLIC_KEY, Value());
        o.attrs.setUlong(CKA_JAVA_MIDP_SECURITY_DOMAIN, 0);
        o.attrs.set(CKA_CHECK_VALUE, Value());
        c.m_objects.push_back(std::move(o));
        certs.emplace_back(e.id, f);
    }
    auto certFor = [&](const token::Bytes& id) -> const CertFacts* {
        for (const auto& cf : certs) {
            if (!id.empty() && cf.first == id) {
                return &cf.second;
            }
        }
        return nullptr;
    };

    // Public keys from the PuKDF, then one for each certificate without one;
    // `numbers` keeps each key's modulus and exponent by ID for the private keys.
    std::vector<std::pair<token::Bytes, std::pair<Value, Value>>> numbers;
    auto hasNumbers = [&](const token::Bytes& id) {
        return std::any_of(numbers.begin(), numbers.end(),
                           [&](const auto& nx) { return nx.first == id; });
    };
    // usage: the key's, or none given (a certificate's key may verify only).
    auto addPublic = [&](const token::CioEntry& e, const Value& n, const Value& x,
                         unsigned int usage, bool fromCertificate) {
        Object o;
        CommonStorage(o.attrs, CKO_PUBLIC_KEY, e, false);
        KeyCommon(o.attrs, e, CKK_RSA);
        o.attrs.setBool(CKA_VERIFY, fromCertificate || Usage(usage, 6) || Usage(usage, 9));
        o.attrs.setBool(CKA_VERIFY_RECOVER, !fromCertificate && Usage(usage, 7));
        o.attrs.setBool(CKA_ENCRYPT, !fromCertificate && Usage(usage, 0));
        o.attrs.setBool(CKA_WRAP, !fromCertificate && Usage(usage, 4));
        o.attrs.setBool(CKA_TRUSTED, e.fileChoice == 2);
        const CertFacts* cf = certFor(e.id);
        o.attrs.set(CKA_SUBJECT, cf ? cf->subject : Value());
        o.attrs.set(CKA_MODULUS, n);
        o.attrs.set(CKA_PUBLIC_EXPONENT, x);
        o.attrs.setUlong(CKA_MODULUS_BITS, Bits(n));
        c.m_objects.push_back(std::move(o));
        numbers.push_back({e.id, {n, x}});
    };
    for (const token::CioEntry& e : t.entries()) {
        const auto* k = e.as<ias::CCioPublicRSAKey>();
        if (!k) {
            continue;
        }
        Value n, x;
        try {
            const token::Bytes bytes = t.objectValue(card, k->value());
            if (!RsaNumbers(bytes.data(), bytes.size(), n, x)) {
                continue;
            }
        } catch (const ias::CIASException&) {
            continue;
        }
        unsigned int usage = 0xFFFFFFFFu;
        try {
            usage = k->usage();
        } catch (const ias::CIASException&) {
        }
        addPublic(e, n, x, usage, false);
    }
    for (const token::CioEntry& e : t.entries()) {
        const CertFacts* cf = e.as<ias::CCioX509Certificate>() ? certFor(e.id) : nullptr;
        if (cf && !cf->modulus.empty() && !hasNumbers(e.id)) {
            addPublic(e, cf->modulus, cf->exponent, 0, true);
        }
    }

    // Private keys: usage from the PrKDF, numbers from the matching
    // certificate or public key.
    for (const token::CioEntry& e : t.entries()) {
        const auto* k = e.as<ias::CCioPrivateRSAKey>();
        if (!k) {
            continue;
        }
        Object o;
        o.pin = pinOf(GuardingAuthId(e));
        o.isPrivate = o.pin >= 0;
        CommonStorage(o.attrs, CKO_PRIVATE_KEY, e, o.isPrivate);
        KeyCommon(o.attrs, e, CKK_RSA);
        try {
            const unsigned int usage = k->usage();
            o.attrs.setBool(CKA_SIGN, Usage(usage, 2) || Usage(usage, 9));
            o.attrs.setBool(CKA_SIGN_RECOVER, Usage(usage, 3));
            o.attrs.setBool(CKA_DECRYPT, Usage(usage, 1));
            o.attrs.setBool(CKA_UNWRAP, Usage(usage, 5));
            o.attrs.setBool(CKA_ALWAYS_AUTHENTICATE, k->userConsent() > 0);
            const int bits = k->modulusLength();
            o.attrs.setUlong(CKA_MODULUS_BITS, bits > 0 ? static_cast<CK_ULONG>(bits) : 0);
            o.key = UseOf(*k, t);
        } catch (const ias::CIASException&) {
            continue;
        }
        o.attrs.setBool(CKA_SENSITIVE, true);
        o.attrs.setBool(CKA_ALWAYS_SENSITIVE, true);
        o.attrs.setBool(CKA_EXTRACTABLE, false);
        o.attrs.setBool(CKA_NEVER_EXTRACTABLE, true);
        o.attrs.setBool(CKA_WRAP_WITH_TRUSTED, false);
        const CertFacts* cf = certFor(e.id);
        o.attrs.set(CKA_SUBJECT, cf ? cf->subject : Value());
        for (const auto& nx : numbers) {
            if (nx.first == e.id) {
                o.attrs.set(CKA_MODULUS, nx.second.first);
                o.attrs.set(CKA_PUBLIC_EXPONENT, nx.second.second);
            }
        }
        for (CK_ATTRIBUTE_TYPE secret : {CKA_PRIVATE_EXPONENT, CKA_PRIME_1, CKA_PRIME_2,
                                         CKA_EXPONENT_1, CKA_EXPONENT_2, CKA_COEFFICIENT}) {
            o.attrs.setSensitive(secret);
        }
        c.m_objects.push_back(std::move(o));
    }

    // Data objects: private when a PIN guards them; the value on demand.
    for (const token::CioEntry& e : t.entries()) {
        const auto* d = e.as<ias::CCioDataContainer>();
        if (!d) {
            continue;
        }
        Object o;
        o.pin = pinOf(GuardingAuthId(e));
        o.isPrivate = o.pin >= 0;
        CommonStorage(o.attrs, CKO_DATA, e, o.isPrivate);
        try {
            o.attrs.set(CKA_APPLICATION, V(token::ToBytes(d->applicationName())));
            o.attrs.set(CKA_OBJECT_ID, OidDer(d->applicationOID()));
            ias::CCioObjectValue v;
            if (const auto* opaque = e.as<ias::CCioOpaqueDO>()) {
                v = opaque->value();
            } else if (const auto* iso = e.as<ias::CCioIso7816DO>()) {
                v = iso->value();
            }
            if (v.type() == 1) {
                o.attrs.set(CKA_VALUE, V(token::ToBytes(v.value())));
            } else if (v.type() == 2) {
                o.lazyValue = true;
                o.value = v;
            }
        } catch (const ias::CIASException&) {
            continue;
        }
        c.m_objects.push_back(std::move(o));
    }

    // Keep the PINs objects name, in AODF order, renumbering the objects'
    // references.
    std::vector<int> renumber(all.size(), -1);
    for (const Object& o : c.m_objects) {
        if (o.pin >= 0) {
            renumber[static_cast<std::size_t>(o.pin)] = 0;
        }
    }
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (renumber[i] == 0) {
            renumber[i] = static_cast<int>(c.m_pins.size());
            c.m_pins.push_back(all[i]);
        }
    }
    for (Object& o : c.m_objects) {
        o.pin = o.pin >= 0 ? renumber[static_cast<std::size_t>(o.pin)] : -1;
        o.handle = nextHandle++;
    }
    return c;
}

} // namespace p11
