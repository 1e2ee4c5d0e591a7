// The Cryptoki entry points: each runs under the module's one lock, inside a
// boundary that turns every exception into a CKR_ code, so no failure of the
// card or of this module reaches the application as anything else.
#include "Module.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <pthread.h>
#include <thread>
#include <unistd.h>

#define P11_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::mutex g_lock;
std::unique_ptr<p11::Module> g_module;
pid_t g_pid = 0;

// The module as this process sees it: a child of a fork starts uninitialised
// (the parent's PC/SC handles are not its own, so they are left alone).
p11::Module* Current() {
    if (g_module && g_pid != getpid()) {
        (void)g_module.release();
    }
    return g_module.get();
}

template <class F> CK_RV Call(F f) {
    std::lock_guard<std::mutex> lock(g_lock);
    p11::Module* m = Current();
    if (!m) {
        return CKR_CRYPTOKI_NOT_INITIALIZED;
    }
    try {
        return f(*m);
    } catch (const std::bad_alloc&) {
        return CKR_HOST_MEMORY;
    } catch (...) {
        return CKR_GENERAL_ERROR;
    }
}

// Contexts of the threads blocked in C_WaitForSlotEvent, so that C_Finalize
// can cancel their waits.
std::mutex g_waitersLock;
std::vector<token::Connection*> g_waiters;

struct Waiter {
    token::Connection connection; // throws token::PcscError without pcscd
    Waiter() {
        std::lock_guard<std::mutex> guard(g_waitersLock);
        g_waiters.push_back(&connection);
    }
    ~Waiter() {
        std::lock_guard<std::mutex> guard(g_waitersLock);
        g_waiters.erase(std::find(g_waiters.begin(), g_waiters.end(), &connection));
    }
    Waiter(const Waiter&) = delete;
    Waiter& operator=(const Waiter&) = delete;
};

void CancelWaits() {
    std::lock_guard<std::mutex> guard(g_waitersLock);
    for (token::Connection* w : g_waiters) {
        w->cancel();
    }
}

template <std::size_t N> void Blank(CK_UTF8CHAR (&field)[N], const char* text) {
    std::memset(field, ' ', N);
    std::memcpy(field, text, std::min(std::strlen(text), N));
}

} // namespace

// A fork while another thread holds the lock must not leave the child's copy
// of it held for ever.
static void ForkPrepare() {
    g_lock.lock();
}
static void ForkRelease() {
    g_lock.unlock();
}

P11_EXPORT CK_RV C_Initialize(CK_VOID_PTR args) {
    if (args) {
        const auto* a = static_cast<CK_C_INITIALIZE_ARGS*>(args);
        const int given = (a->CreateMutex != nullptr) + (a->DestroyMutex != nullptr) +
                          (a->LockMutex != nullptr) + (a->UnlockMutex != nullptr);
        if (a->pReserved != nullptr || (given != 0 && given != 4)) {
            return CKR_ARGUMENTS_BAD;
        }
        // Only the operating system's locks: callbacks alone cannot be honoured.
        if (given == 4 && !(a->flags & CKF_OS_LOCKING_OK)) {
            return CKR_CANT_LOCK;
        }
    }
    static const int atfork = pthread_atfork(ForkPrepare, ForkRelease, ForkRelease);
    (void)atfork;
    std::lock_guard<std::mutex> lock(g_lock);
    if (Current()) {
        return CKR_CRYPTOKI_ALREADY_INITIALIZED;
    }
    try {
        g_module.reset(new p11::Module());
        g_pid = getpid();
        return CKR_OK;
    } catch (const std::bad_alloc&) {
        return CKR_HOST_MEMORY;
    } catch (...) {
        return CKR_GENERAL_ERROR;
    }
}

P11_EXPORT CK_RV C_Finalize(CK_VOID_PTR reserved) {
    if (reserved) {
        return CKR_ARGUMENTS_BAD;
    }
    std::lock_guard<std::mutex> lock(g_lock);
    if (!Current()) {
        return CKR_CRYPTOKI_NOT_INITIALIZED;
    }
    g_module.reset(); // disconnects every card, releases the PC/SC context
    CancelWaits();
    return CKR_OK;
}

P11_EXPORT CK_RV C_GetInfo(CK_INFO_PTR info) {
    if (!info) {
        return CKR_ARGUMENTS_BAD;
    }
    return Call([&](p11::Module&) {
        info->cryptokiVersion = {2, 40};
        Blank(info->manufacturerID, "libias");
        info->flags = 0;
        Blank(info->libraryDescription, "IAS ECC and IAS cards");
        info->libraryVersion = {0, 1};
        return CKR_OK;
    });
}

P11_EXPORT CK_RV C_GetFunctionList(CK_FUNCTION_LIST_PTR_PTR list);

P11_EXPORT CK_RV C_GetSlotList(CK_BBOOL present, CK_SLOT_ID_PTR list, CK_ULONG_PTR count) {
    return Call([&](p11::Module& m) { return m.slotList(present != CK_FALSE, list, count); });
}
P11_EXPORT CK_RV C_GetSlotInfo(CK_SLOT_ID id, CK_SLOT_INFO_PTR info) {
    return Call([&](p11::Module& m) { return m.slotInfo(id, info); });
}
P11_EXPORT CK_RV C_GetTokenInfo(CK_SLOT_ID id, CK_TOKEN_INFO_PTR info) {
    return Call([&](p11::Module& m) { return m.tokenInfo(id, info); });
}
P11_EXPORT CK_RV C_GetMechanismList(CK_SLOT_ID id, CK_MECHANISM_TYPE_PTR list, CK_ULONG_PTR count) {
    return Call([&](p11::Module& m) { return m.mechanismList(id, list, count); });
}
P11_EXPORT CK_RV C_GetMechanismInfo(CK_SLOT_ID id, CK_MECHANISM_TYPE type,
                                    CK_MECHANISM_INFO_PTR info) {
    return Call([&](p11::Module& m) { return m.mechanismInfo(id, type, info); });
}
P11_EXPORT CK_RV C_InitToken(CK_SLOT_ID, CK_UTF8CHAR_PTR, CK_ULONG, CK_UTF8CHAR_PTR) {
    return Call([](p11::Module&) { return CKR_FUNCTION_NOT_SUPPORTED; });
}
P11_EXPORT CK_RV C_InitPIN(CK_SESSION_HANDLE h, CK_UTF8CHAR_PTR, CK_ULONG) {
    // Setting the user PIN is the security officer's, whom the CIA does not name.
    return Call([&](p11::Module& m) {
        const CK_RV rv = m.writeProtected(h);
        return rv == CKR_TOKEN_WRITE_PROTECTED ? CKR_USER_NOT_LOGGED_IN : rv;
    });
}
P11_EXPORT CK_RV C_SetPIN(CK_SESSION_HANDLE h, CK_UTF8CHAR_PTR old, CK_ULONG oldLength,
                          CK_UTF8CHAR_PTR fresh, CK_ULONG freshLength) {
    return Call([&](p11::Module& m) { return m.setPin(h, old, oldLength, fresh, freshLength); });
}
P11_EXPORT CK_RV C_OpenSession(CK_SLOT_ID id, CK_FLAGS flags, CK_VOID_PTR, CK_NOTIFY,
                               CK_SESSION_HANDLE_PTR h) {
    return Call([&](p11::Module& m) { return m.openSession(id, flags, h); });
}
P11_EXPORT CK_RV C_CloseSession(CK_SESSION_HANDLE h) {
    return Call([&](p11::Module& m) { return m.closeSession(h); });
}
P11_EXPORT CK_RV C_CloseAllSessions(CK_SLOT_ID id) {
    return Call([&](p11::Module& m) { return m.closeAllSessions(id); });
}
P11_EXPORT CK_RV C_GetSessionInfo(CK_SESSION_HANDLE h, CK_SESSION_INFO_PTR info) {
    return Call([&](p11::Module& m) { return m.sessionInfo(h, info); });
}
P11_EXPORT CK_RV C_GetOperationState(CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG_PTR) {
    return Call([](p11::Module&) { return CKR_FUNCTION_NOT_SUPPORTED; });
}
P11_EXPORT CK_RV C_SetOperationState(CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG, CK_OBJECT_HANDLE,
                                     CK_OBJECT_HANDLE) {
    return Call([](p11::Module&) { return CKR_FUNCTION_NOT_SUPPORTED; });
}
P11_EXPORT CK_RV C_Login(CK_SESSION_HANDLE h, CK_USER_TYPE user, CK_UTF8CHAR_PTR pin,
                         CK_ULONG length) {
    return Call([&](p11::Module& m) { return m.login(h, user, pin, length); });
}
P11_EXPORT CK_RV C_Logout(CK_SESSION_HANDLE h) {
    return Call([&](p11::Module& m) { return m.logout(h); });
}
P11_EXPORT CK_RV C_CreateObject(CK_SESSION_HANDLE h, CK_ATTRIBUTE_PTR, CK_ULONG,
                                CK_OBJECT_HANDLE_PTR) {
    return Call([&](p11::Module& m) { return m.writeProtected(h); });
}
P11_EXPORT CK_RV C_CopyObject(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE, CK_ATTRIBUTE_PTR, CK_ULONG,
                              CK_OBJECT_HANDLE_PTR) {
    return Call([&](p11::Module& m) { return m.writeProtected(h); });
}
P11_EXPORT CK_RV C_DestroyObject(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE) {
    return Call([&](p11::Module& m) { return m.writeProtected(h); });
}
P11_EXPORT CK_RV C_GetObjectSize(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE o, CK_ULONG_PTR size) {
    return Call([&](p11::Module& m) { return m.objectSize(h, o, size); });
}
P11_EXPORT CK_RV C_GetAttributeValue(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE o, CK_ATTRIBUTE_PTR tmpl,
                                     CK_ULONG count) {
    return Call([&](p11::Module& m) { return m.attributes(h, o, tmpl, count); });
}
P11_EXPORT CK_RV C_SetAttributeValue(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE, CK_ATTRIBUTE_PTR,
                                     CK_ULONG) {
    return Call([&](p11::Module& m) { return m.writeProtected(h); });
}
P11_EXPORT CK_RV C_FindObjectsInit(CK_SESSION_HANDLE h, CK_ATTRIBUTE_PTR tmpl, CK_ULONG count) {
    return Call([&](p11::Module& m) { return m.findInit(h, tmpl, count); });
}
P11_EXPORT CK_RV C_FindObjects(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE_PTR out, CK_ULONG max,
                               CK_ULONG_PTR count) {
    return Call([&](p11::Module& m) { return m.find(h, out, max, count); });
}
P11_EXPORT CK_RV C_FindObjectsFinal(CK_SESSION_HANDLE h) {
    return Call([&](p11::Module& m) { return m.findFinal(h); });
}

// Operations on keys: not offered yet. One body, many signatures.
using Kind = p11::KeyOperation::Kind;

P11_EXPORT CK_RV C_SignInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key) {
    return Call([&](p11::Module& m) { return m.operationInit(h, Kind::Sign, mechanism, key); });
}
P11_EXPORT CK_RV C_Sign(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
                        CK_ULONG_PTR outLength) {
    return Call([&](p11::Module& m) {
        return m.operationRun(h, Kind::Sign, data, length, false, out, outLength);
    });
}
P11_EXPORT CK_RV C_SignUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length) {
    return Call([&](p11::Module& m) { return m.signUpdate(h, data, length); });
}
P11_EXPORT CK_RV C_SignFinal(CK_SESSION_HANDLE h, CK_BYTE_PTR out, CK_ULONG_PTR outLength) {
    return Call([&](p11::Module& m) {
        return m.operationRun(h, Kind::Sign, nullptr, 0, true, out, outLength);
    });
}
P11_EXPORT CK_RV C_DecryptInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism,
                               CK_OBJECT_HANDLE key) {
    return Call([&](p11::Module& m) { return m.operationInit(h, Kind::Decrypt, mechanism, key); });
}
P11_EXPORT CK_RV C_Decrypt(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
                           CK_ULONG_PTR outLength) {
    return Call([&](p11::Module& m) {
        return m.operationRun(h, Kind::Decrypt, data, length, false, out, outLength);
    });
}
P11_EXPORT CK_RV C_GenerateRandom(CK_SESSION_HANDLE h, CK_BYTE_PTR out, CK_ULONG length) {
    return Call([&](p11::Module& m) { return m.generateRandom(h, out, length); });
}

#define P11_NOT_SUPPORTED(name, params)                                                            \
    P11_EXPORT CK_RV name params {                                                                 \
        return Call([](p11::Module&) { return CKR_FUNCTION_NOT_SUPPORTED; });                      \
    }
P11_NOT_SUPPORTED(C_EncryptInit, (CK_SESSION_HANDLE, CK_MECHANISM_PTR, CK_OBJECT_HANDLE))
P11_NOT_SUPPORTED(C_Encrypt, (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR))
P11_NOT_SUPPORTED(C_EncryptUpdate,
                  (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR))
P11_NOT_SUPPORTED(C_EncryptFinal, (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG_PTR))
P11_NOT_SUPPORTED(C_DecryptUpdate,
                  (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR))
P11_NOT_SUPPORTED(C_DecryptFinal, (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG_PTR))
P11_NOT_SUPPORTED(C_DigestInit, (CK_SESSION_HANDLE, CK_MECHANISM_PTR))
P11_NOT_SUPPORTED(C_Digest, (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR))
P11_NOT_SUPPORTED(C_DigestUpdate, (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG))
P11_NOT_SUPPORTED(C_DigestKey, (CK_SESSION_HANDLE, CK_OBJECT_HANDLE))
P11_NOT_SUPPORTED(C_DigestFinal, (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG_PTR))
P11_NOT_SUPPORTED(C_SignRecoverInit, (CK_SESSION_HANDLE, CK_MECHANISM_PTR, CK_OBJECT_HANDLE))
P11_NOT_SUPPORTED(C_SignRecover,
                  (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR))
P11_NOT_SUPPORTED(C_VerifyInit, (CK_SESSION_HANDLE, CK_MECHANISM_PTR, CK_OBJECT_HANDLE))
P11_NOT_SUPPORTED(C_Verify, (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG))
P11_NOT_SUPPORTED(C_VerifyUpdate, (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG))
P11_NOT_SUPPORTED(C_VerifyFinal, (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG))
P11_NOT_SUPPORTED(C_VerifyRecoverInit, (CK_SESSION_HANDLE, CK_MECHANISM_PTR, CK_OBJECT_HANDLE))
P11_NOT_SUPPORTED(C_VerifyRecover,
                  (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR))
P11_NOT_SUPPORTED(C_DigestEncryptUpdate,
                  (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR))
P11_NOT_SUPPORTED(C_DecryptDigestUpdate,
                  (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR))
P11_NOT_SUPPORTED(C_SignEncryptUpdate,
                  (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR))
P11_NOT_SUPPORTED(C_DecryptVerifyUpdate,
                  (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR))
P11_NOT_SUPPORTED(C_WrapKey, (CK_SESSION_HANDLE, CK_MECHANISM_PTR, CK_OBJECT_HANDLE,
                              CK_OBJECT_HANDLE, CK_BYTE_PTR, CK_ULONG_PTR))
P11_NOT_SUPPORTED(C_SeedRandom, (CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG))

// Functions that would create keys on the card.
#define P11_WRITES(name, params)                                                                   \
    P11_EXPORT CK_RV name params {                                                                 \
        return Call([&](p11::Module& m) { return m.writeProtected(h); });                          \
    }
P11_WRITES(C_GenerateKey, (CK_SESSION_HANDLE h, CK_MECHANISM_PTR, CK_ATTRIBUTE_PTR, CK_ULONG,
                           CK_OBJECT_HANDLE_PTR))
P11_WRITES(C_GenerateKeyPair,
           (CK_SESSION_HANDLE h, CK_MECHANISM_PTR, CK_ATTRIBUTE_PTR, CK_ULONG, CK_ATTRIBUTE_PTR,
            CK_ULONG, CK_OBJECT_HANDLE_PTR, CK_OBJECT_HANDLE_PTR))
P11_WRITES(C_UnwrapKey, (CK_SESSION_HANDLE h, CK_MECHANISM_PTR, CK_OBJECT_HANDLE, CK_BYTE_PTR,
                         CK_ULONG, CK_ATTRIBUTE_PTR, CK_ULONG, CK_OBJECT_HANDLE_PTR))
P11_WRITES(C_DeriveKey, (CK_SESSION_HANDLE h, CK_MECHANISM_PTR, CK_OBJECT_HANDLE, CK_ATTRIBUTE_PTR,
                         CK_ULONG, CK_OBJECT_HANDLE_PTR))

P11_EXPORT CK_RV C_GetFunctionStatus(CK_SESSION_HANDLE) {
    return Call([](p11::Module&) { return CKR_FUNCTION_NOT_PARALLEL; });
}
P11_EXPORT CK_RV C_CancelFunction(CK_SESSION_HANDLE) {
    return Call([](p11::Module&) { return CKR_FUNCTION_NOT_PARALLEL; });
}

P11_EXPORT CK_RV C_WaitForSlotEvent(CK_FLAGS flags, CK_SLOT_ID_PTR slot, CK_VOID_PTR reserved) {
    if (reserved) {
        return CKR_ARGUMENTS_BAD;
    }
    std::unique_ptr<Waiter> waiter;
    for (;;) {
        const CK_RV rv = Call([&](p11::Module& m) { return m.slotEvent(slot); });
        if (rv != CKR_NO_EVENT || (flags & CKF_DONT_BLOCK)) {
            return rv;
        }
        // Blocked in pcscd on a context of its own, without the module's
        // lock: other threads go on, and C_Finalize cancels the wait. The
        // time limit covers a C_Finalize that came before the wait began.
        try {
            if (!waiter) {
                waiter = std::make_unique<Waiter>();
            }
            if (!waiter->connection.waitForChange(1000)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        } catch (const token::PcscError&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200)); // no pcscd yet
        } catch (const std::bad_alloc&) {
            return CKR_HOST_MEMORY;
        }
    }
}

namespace {

CK_FUNCTION_LIST Functions() {
    CK_FUNCTION_LIST f;
    f.version = {2, 40};
    f.C_Initialize = C_Initialize;
    f.C_Finalize = C_Finalize;
    f.C_GetInfo = C_GetInfo;
    f.C_GetFunctionList = C_GetFunctionList;
    f.C_GetSlotList = C_GetSlotList;
    f.C_GetSlotInfo = C_GetSlotInfo;
    f.C_GetTokenInfo = C_GetTokenInfo;
    f.C_GetMechanismList = C_GetMechanismList;
    f.C_GetMechanismInfo = C_GetMechanismInfo;
    f.C_InitToken = C_InitToken;
    f.C_InitPIN = C_InitPIN;
    f.C_SetPIN = C_SetPIN;
    f.C_OpenSession = C_OpenSession;
    f.C_CloseSession = C_CloseSession;
    f.C_CloseAllSessions = C_CloseAllSessions;
    f.C_GetSessionInfo = C_GetSessionInfo;
    f.C_GetOperationState = C_GetOperationState;
    f.C_SetOperationState = C_SetOperationState;
    f.C_Login = C_Login;
    f.C_Logout = C_Logout;
    f.C_CreateObject = C_CreateObject;
    f.C_CopyObject = C_CopyObject;
    f.C_DestroyObject = C_DestroyObject;
    f.C_GetObjectSize = C_GetObjectSize;
    f.C_GetAttributeValue = C_GetAttributeValue;
    f.C_SetAttributeValue = C_SetAttributeValue;
    f.C_FindObjectsInit = C_FindObjectsInit;
    f.C_FindObjects = C_FindObjects;
    f.C_FindObjectsFinal = C_FindObjectsFinal;
    f.C_EncryptInit = C_EncryptInit;
    f.C_Encrypt = C_Encrypt;
    f.C_EncryptUpdate = C_EncryptUpdate;
    f.C_EncryptFinal = C_EncryptFinal;
    f.C_DecryptInit = C_DecryptInit;
    f.C_Decrypt = C_Decrypt;
    f.C_DecryptUpdate = C_DecryptUpdate;
    f.C_DecryptFinal = C_DecryptFinal;
    f.C_DigestInit = C_DigestInit;
    f.C_Digest = C_Digest;
    f.C_DigestUpdate = C_DigestUpdate;
    f.C_DigestKey = C_DigestKey;
    f.C_DigestFinal = C_DigestFinal;
    f.C_SignInit = C_SignInit;
    f.C_Sign = C_Sign;
    f.C_SignUpdate = C_SignUpdate;
    f.C_SignFinal = C_SignFinal;
    f.C_SignRecoverInit = C_SignRecoverInit;
    f.C_SignRecover = C_SignRecover;
    f.C_VerifyInit = C_VerifyInit;
    f.C_Verify = C_Verify;
    f.C_VerifyUpdate = C_VerifyUpdate;
    f.C_VerifyFinal = C_VerifyFinal;
    f.C_VerifyRecoverInit = C_VerifyRecoverInit;
    f.C_VerifyRecover = C_VerifyRecover;
    f.C_DigestEncryptUpdate = C_DigestEncryptUpdate;
    f.C_DecryptDigestUpdate = C_DecryptDigestUpdate;
    f.C_SignEncryptUpdate = C_SignEncryptUpdate;
    f.C_DecryptVerifyUpdate = C_DecryptVerifyUpdate;
    f.C_GenerateKey = C_GenerateKey;
    f.C_GenerateKeyPair = C_GenerateKeyPair;
    f.C_WrapKey = C_WrapKey;
    f.C_UnwrapKey = C_UnwrapKey;
    f.C_DeriveKey = C_DeriveKey;
    f.C_SeedRandom = C_SeedRandom;
    f.C_GenerateRandom = C_GenerateRandom;
    f.C_GetFunctionStatus = C_GetFunctionStatus;
    f.C_CancelFunction = C_CancelFunction;
    f.C_WaitForSlotEvent = C_WaitForSlotEvent;
    return f;
}

} // namespace

P11_EXPORT CK_RV C_GetFunctionList(CK_FUNCTION_LIST_PTR_PTR list) {
    if (!list) {
        return CKR_ARGUMENTS_BAD;
    }
    static CK_FUNCTION_LIST functions = Functions(); // built once, by the first caller
    *list = &functions;
    return CKR_OK;
}
