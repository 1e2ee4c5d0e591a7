#include "module_session.h"

#include <dlfcn.h>

#include <stdexcept>
#include <vector>

namespace hostile {

ModuleSession::ModuleSession(const std::string& path) {
    m_library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto* get = m_library
                    ? reinterpret_cast<CK_C_GetFunctionList>(dlsym(m_library, "C_GetFunctionList"))
                    : nullptr;
    if (!get || get(&m_f) != CKR_OK || !m_f) {
        throw std::runtime_error("not a PKCS#11 module: " + path);
    }
}

ModuleSession::~ModuleSession() {
    if (m_library) {
        dlclose(m_library);
    }
}

unsigned long ModuleSession::objects(CK_SESSION_HANDLE session) {
    unsigned long refused = m_f->C_FindObjectsInit(session, nullptr, 0) != CKR_OK;
    std::vector<CK_OBJECT_HANDLE> found(8);
    CK_ULONG n = 0;
    std::vector<CK_OBJECT_HANDLE> all;
    while (m_f->C_FindObjects(session, found.data(), found.size(), &n) == CKR_OK && n > 0) {
        all.insert(all.end(), found.begin(), found.begin() + static_cast<long>(n));
    }
    refused += m_f->C_FindObjectsFinal(session) != CKR_OK;
    m_objects += all.size();
    for (CK_OBJECT_HANDLE o : all) {
        for (CK_ATTRIBUTE_TYPE type : {CKA_CLASS, CKA_LABEL, CKA_ID, CKA_VALUE, CKA_SUBJECT,
                                       CKA_MODULUS, CKA_PRIVATE_EXPONENT}) {
            CK_ATTRIBUTE a{type, nullptr, 0};
            const CK_RV rv = m_f->C_GetAttributeValue(session, o, &a, 1);
            if (rv != CKR_OK || a.ulValueLen == CK_UNAVAILABLE_INFORMATION) {
                // An attribute the object lacks or keeps secret is an answer.
                refused += rv != CKR_ATTRIBUTE_TYPE_INVALID && rv != CKR_ATTRIBUTE_SENSITIVE;
                continue;
            }
            std::vector<unsigned char> value(a.ulValueLen + 1);
            a.pValue = value.data();
            refused += m_f->C_GetAttributeValue(session, o, &a, 1) != CKR_OK;
        }
        // Key operations against a lying card: any refusal is an answer,
        // but nothing may crash, hang or leak.
        CK_MECHANISM sha256{CKM_SHA256_RSA_PKCS, nullptr, 0}, rsa{CKM_RSA_PKCS, nullptr, 0};
        unsigned char in[256] = {}, out[1024];
        CK_ULONG length = sizeof out;
        if (m_f->C_SignInit(session, &sha256, o) == CKR_OK) {
            ++m_keyOperations;
            m_f->C_Sign(session, in, 32, out, &length);
        }
        length = sizeof out;
        if (m_f->C_DecryptInit(session, &rsa, o) == CKR_OK) {
            ++m_keyOperations;
            m_f->C_Decrypt(session, in, sizeof in, out, &length);
        }
    }
    unsigned char random[16];
    m_f->C_GenerateRandom(session, random, sizeof random);
    return refused;
}

unsigned long ModuleSession::run() {
    unsigned long refused = m_f->C_Initialize(nullptr) != CKR_OK;
    CK_ULONG count = 0;
    refused += m_f->C_GetSlotList(CK_TRUE, nullptr, &count) != CKR_OK;
    std::vector<CK_SLOT_ID> slots(count);
    refused += count > 0 && m_f->C_GetSlotList(CK_TRUE, slots.data(), &count) != CKR_OK;
    slots.resize(count);
    for (CK_SLOT_ID slot : slots) {
        CK_TOKEN_INFO info;
        refused += m_f->C_GetTokenInfo(slot, &info) != CKR_OK;
        CK_SESSION_HANDLE session = 0;
        if (m_f->C_OpenSession(slot, CKF_SERIAL_SESSION | CKF_RW_SESSION, nullptr, nullptr,
                               &session) != CKR_OK) {
            ++refused;
            continue;
        }
        ++m_tokens;
        refused += objects(session);
        CK_UTF8CHAR pin[] = {'1', '2', '3', '4'};
        if (m_f->C_Login(session, CKU_USER, pin, sizeof pin) == CKR_OK) {
            refused += objects(session);
            refused += m_f->C_Logout(session) != CKR_OK;
        } else {
            ++refused;
        }
        refused += m_f->C_CloseSession(session) != CKR_OK;
    }
    refused += m_f->C_Finalize(nullptr) != CKR_OK;
    return refused;
}

} // namespace hostile
