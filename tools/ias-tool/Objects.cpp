// The objects of the CIO directory files as JSON: every attribute the library
// decodes, and for the kinds it does not, what a bounded read of the element
// gives. The text form is drawn from the same members (TextDump.cpp).
#include "Tool.h"

#include "token/CioKinds.h"
#include "token/PathText.h"

#include <openssl/bio.h>
#include <openssl/x509.h>

namespace tool {

namespace {

const std::vector<const char*> kKeyUsage = {"encrypt", "decrypt",       "sign",   "signRecover",
                                            "wrap",    "unwrap",        "verify", "verifyRecover",
                                            "derive",  "nonRepudiation"};

Json Condition(const token::Token& t, const ias::CCioSecurityCondition& c, int depth = 0) {
    if (depth > 16) { // the library bounds nesting too; this keeps the output finite
        return "(nested too deep)";
    }
    switch (c.type()) {
    case 1:
        return "always";
    case 2: {
        const token::Bytes id = token::ToBytes(c.authId());
        return Json{{"authId", token::Hex(id)}, {"pin", PinOf(t, id)}};
    }
    case 3: {
        const ias::CCioAuthReference r = c.authReference();
        return Json{{"authMethod", Bits(r.authMethod(), {"secureMessaging", "external", "pin"})},
                    {"se", r.seIdentifier() < 0 ? Json() : Json(r.seIdentifier())}};
    }
    case 4:
        return Json{{"not", Condition(t, c.notSc(), depth + 1)}};
    case 5:
    case 6: {
        Json all = Json::array();
        for (const ias::CCioSecurityCondition& sub : c.type() == 5 ? c.andSc() : c.orSc()) {
            all.push_back(Condition(t, sub, depth + 1));
        }
        return Json{{c.type() == 5 ? "and" : "or", all}};
    }
    default:
        return Json();
    }
}

void Common(const token::Token& t, const ias::CCioObject& o, Json& j) {
    j["flags"] = Bits(o.flags(), {"private", "modifiable"});
    j["userConsent"] = o.userConsent() < 0 ? Json() : Json(o.userConsent());
    Json rules = Json::array();
    for (const ias::CCioAccessControlRule& r : o.accessControlRules()) {
        rules.push_back(Json{{"accessMode", Bits(r.accessMode(), {"read", "update", "execute"})},
                             {"condition", Condition(t, r.securityCondition())}});
    }
    j["accessControlRules"] = rules;
}

Json Identifiers(const std::vector<ias::CCioCredentialIdentifier>& ids) {
    Json out = Json::array();
    for (const ias::CCioCredentialIdentifier& i : ids) {
        out.push_back(Json{{"type", i.idType()}, {"value", token::Hex(i.idValue())}});
    }
    return out;
}

Json Usage(const ias::CCioUsage& u) {
    if (u.isNull()) {
        return Json();
    }
    return Json{{"keyUsage", u.keyUsage() == 0xFFFFFFFFu ? Json() : Bits(u.keyUsage(), kKeyUsage)},
                {"extKeyUsage", u.extKeyUsage()}};
}

Json Value(const ias::CCioObjectValue& v) {
    static const char* const kTypes[] = {"none", "direct", "path", "url", "url", "url+digest"};
    const int type = v.type();
    Json j{{"type", kTypes[type < 0 || type > 5 ? 0 : type]}};
    if (type == 2) {
        try {
            j["path"] = PathJson(ias::CCiaPath(v.value()));
        } catch (const ias::CIASException&) {
            j["raw"] = token::Hex(v.value());
        }
    } else if (type == 3 || type == 4) {
        j["url"] = TextOf(token::ToBytes(v.value()));
    } else if (type != 0) {
        j["raw"] = token::Hex(v.value());
    }
    return j;
}

Json KeyInfo(const ias::CCioKeyInfo& k) {
    return k.isNull() ? Json()
                      : Json{{"parameters", token::Hex(k.parameters())},
                             {"operations",
                              k.operations() == 0xFFFFFFFFu ? Json() : Json(k.operations())}};
}

void KeyAttributes(Json& j, const ias::CCioKey& k) {
    j["usage"] = Bits(k.usage(), kKeyUsage);
    j["native"] = k.native();
    j["accessFlags"] = k.accessFlagsDefined()
                           ? Bits(k.accessFlags(), {"sensitive", "extractable", "alwaysSensitive",
                                                    "neverExtractable", "local"})
                           : Json();
    j["keyReference"] = k.keyReference() < 0 ? Json() : Json(k.keyReference());
    j["startDate"] = k.startDate().empty() ? Json() : Json(k.startDate());
    j["endDate"] = k.endDate().empty() ? Json() : Json(k.endDate());
    j["algReference"] = k.algReference();
}

void PrivateKey(const ias::CCioPrivateKey& k, Json& j) {
    KeyAttributes(j, k);
    j["subject"] = NameText(token::ToBytes(k.name()));
    j["keyIdentifiers"] = Identifiers(k.keyIdentifiers());
    if (const auto* rsa = dynamic_cast<const ias::CCioPrivateRSAKey*>(&k)) {
        j["size"] = rsa->modulusLength();
        j["path"] = PathJson(rsa->value());
        j["keyInfo"] = KeyInfo(rsa->keyInfo());
    } else if (const auto* dh = dynamic_cast<const ias::CCioPrivateDHKey*>(&k)) {
        j["path"] = PathJson(dh->value());
        j["keyInfo"] = KeyInfo(dh->keyInfo());
    }
}

void PublicKey(const ias::CCioPublicKey& k, Json& j) {
    KeyAttributes(j, k);
    j["subject"] = NameText(token::ToBytes(k.name()));
    j["keyIdentifiers"] = Identifiers(k.keyIdentifiers());
    j["trustedUsage"] = Usage(k.trustedUsage());
    if (const auto* rsa = dynamic_cast<const ias::CCioPublicRSAKey*>(&k)) {
        j["size"] = rsa->modulusLength();
        j["value"] = Value(rsa->value());
        j["keyInfo"] = KeyInfo(rsa->keyInfo());
    } else if (const auto* dh = dynamic_cast<const ias::CCioPublicDHKey*>(&k)) {
        j["value"] = Value(dh->value());
        j["keyInfo"] = KeyInfo(dh->keyInfo());
    }
}

void Certificate(const ias::CCioCertificate& c, Json& j) {
    j["authority"] = c.authority();
    j["certHash"] = HexOrNull(token::ToBytes(c.certHash()));
    j["trustedUsage"] = Usage(c.trustedUsage());
    j["identifiers"] = Identifiers(c.identifiers());
    const auto validity = c.validity();
    j["validity"] = validity.first.empty() && validity.second.empty()
                        ? Json()
                        : Json{{"notBefore", validity.first}, {"notAfter", validity.second}};
    if (const auto* x = dynamic_cast<const ias::CCioX509Certificate*>(&c)) {
        j["value"] = Value(x->value());
        j["subject"] = NameText(token::ToBytes(x->subject()));
        j["issuer"] = NameText(token::ToBytes(x->issuer()));
        j["serialNumber"] = HexOrNull(token::ToBytes(x->serialNumber()));
    }
}

void DataObject(const ias::CCioDataContainer& d, Json& j) {
    j["applicationName"] = TextOrNull(token::ToBytes(d.applicationName()));
    j["applicationOID"] = d.applicationOID().empty() ? Json() : Json(d.applicationOID());
    if (const auto* o = dynamic_cast<const ias::CCioOpaqueDO*>(&d)) {
        j["value"] = Value(o->value());
    } else if (const auto* i = dynamic_cast<const ias::CCioIso7816DO*>(&d)) {
        j["value"] = Value(i->value());
    }
}

void AuthObject(const ias::CCioAuthentication& a, Json& j) {
    static const char* const kPwdTypes[] = {"bcd", "ascii-numeric", "utf8", "half-nibble-bcd",
                                            "iso9564-1"};
    j["authReference"] = a.authReference() < 0 ? Json() : Json(a.authReference());
    j["seIdentifier"] = a.seIdentifier() < 0 ? Json() : Json(a.seIdentifier());
    const auto* p = dynamic_cast<const ias::CCioPasswordAuth*>(&a);
    if (!p || a.choice() != -1) {
        return;
    }
    const int type = p->pwdType();
    j["pwdFlags"] =
        Bits(p->pwdFlags(),
             {"case-sensitive", "local", "change-disabled", "unblock-disabled", "initialized",
              "needs-padding", "unblockingPassword", "soPassword", "disable-allowed",
              "integrity-protected", "confidentiality-protected", "exchangeRefData"});
    j["pwdType"] = type >= 0 && type < 5 ? Json(kPwdTypes[type]) : type < 0 ? Json() : Json(type);
    j["minLength"] = p->minLength();
    j["storedLength"] = p->storedLength();
    j["maxLength"] = p->maxLength() < 0 ? Json() : Json(p->maxLength());
    j["pwdReference"] = p->pwdReference();
    j["padChar"] = p->padCharDefined() ? Json(token::Hex(token::Bytes{p->padChar()})) : Json();
    j["lastPasswordChange"] =
        p->lastPasswordChange().empty() ? Json() : Json(p->lastPasswordChange());
    const ias::CCiaPath path = p->path();
    j["pinPath"] = path.efidOrPath().size() || path.aid().size() ? PathJson(path) : Json();
}

} // namespace

Json PinOf(const token::Token& t, const token::Bytes& authId) {
    const token::CioEntry* pin = t.authObject(authId);
    if (!pin) {
        return Json();
    }
    return pin->label.empty() ? Json("(no label)") : TextOf(pin->label);
}

// A Name as one line of text ("C=FR, O=..., CN=..."), or its hex when OpenSSL
// does not read it.
Json NameText(const token::Bytes& der) {
    if (der.empty()) {
        return Json();
    }
    const unsigned char* p = der.data();
    X509_NAME* name = d2i_X509_NAME(nullptr, &p, static_cast<long>(der.size()));
    if (!name) {
        return "(not a Name) " + token::Hex(der);
    }
    BIO* bio = BIO_new(BIO_s_mem());
    // Multi-byte characters kept as UTF-8; the text renderer escapes controls.
    X509_NAME_print_ex(bio, name, 0, XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB);
    char* text = nullptr;
    const long n = BIO_get_mem_data(bio, &text);
    std::string out(text, static_cast<std::size_t>(n > 0 ? n : 0));
    BIO_free(bio);
    X509_NAME_free(name);
    return out;
}

Json EntryJson(const token::Token& t, const token::CioEntry& e) {
    Json j{{"kind", e.kind},           {"decoded", e.object != nullptr},
           {"offset", e.offset},       {"label", TextOrNull(e.label)},
           {"id", HexOrNull(e.id)},    {"authId", HexOrNull(e.authId)},
           {"pin", PinOf(t, e.authId)}};
    if (!e.error.empty()) {
        j["error"] = e.error;
    }
    if (!e.object) {
        return j;
    }
    // A getter may refuse an attribute the element carries in a form the
    // library does not accept; the object then shows what came before.
    try {
        Common(t, *e.object, j);
        if (const auto* k = e.as<ias::CCioPrivateKey>()) {
            PrivateKey(*k, j);
        } else if (const auto* pk = e.as<ias::CCioPublicKey>()) {
            PublicKey(*pk, j);
        } else if (const auto* c = e.as<ias::CCioCertificate>()) {
            Certificate(*c, j);
        } else if (const auto* d = e.as<ias::CCioDataContainer>()) {
            DataObject(*d, j);
        } else if (const auto* a = e.as<ias::CCioAuthentication>()) {
            AuthObject(*a, j);
        }
    } catch (const ias::CIASException& x) {
        j["error"] = x.descriptionA();
    }
    return j;
}

} // namespace tool
