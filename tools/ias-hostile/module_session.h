// One session of an application through the PKCS#11 module against the lying
// card: the slots, every token, every object with its attributes (sizes
// first, as applications ask), a login, the objects again, logout.
#pragma once

#include <p11-kit/pkcs11.h>

#include <cstdint>
#include <string>

namespace hostile {

class ModuleSession {
public:
    /// Loads the module at `path` (dlopen); throws std::runtime_error when it
    /// is not a PKCS#11 module.
    explicit ModuleSession(const std::string& path);
    ~ModuleSession();
    ModuleSession(const ModuleSession&) = delete;
    ModuleSession& operator=(const ModuleSession&) = delete;

    /// One application lifetime, C_Initialize to C_Finalize. Returns the
    /// number of calls the module refused (any CKR_ but CKR_OK).
    unsigned long run();
    /// Tokens opened and objects read over all runs.
    unsigned long tokens() const { return m_tokens; }
    unsigned long objectsRead() const { return m_objects; }
    /// Signatures and decryptions the module accepted to start.
    unsigned long keyOperations() const { return m_keyOperations; }

private:
    unsigned long objects(CK_SESSION_HANDLE session);

    void* m_library = nullptr;
    CK_FUNCTION_LIST_PTR m_f = nullptr;
    unsigned long m_tokens = 0;
    unsigned long m_objects = 0;
    unsigned long m_keyOperations = 0;
};

} // namespace hostile
