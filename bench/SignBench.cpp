// Signatures per second through the PKCS#11 module (C_SignInit + C_Sign,
// CKM_SHA256_RSA_PKCS, the User PIN key of the sample IAS ECC card) next to
// the same commands sent raw with SCardTransmit (MSE SET + INTERNAL
// AUTHENTICATE, the least a signature costs), and the APDUs the module sent
// per signature, counted in the virtual card's trace.
#include "Alternating.h"

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <p11-kit/pkcs11.h>
#include <winscard.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kSignatures = 50;
constexpr CK_BYTE kKeyId = 0x01;
const char kPin[] = "1234";

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

double g_apdusPerSignature = 0;

// Command APDUs in the card's trace so far.
long Sent() {
    std::ifstream trace(Env("IAS_VCARD_TRACE"));
    long n = 0;
    for (std::string line; std::getline(trace, line);) {
        n += line.rfind("> ", 0) == 0;
    }
    return n;
}

struct Module {
    void* so = nullptr;
    CK_FUNCTION_LIST_PTR f = nullptr;
    CK_SESSION_HANDLE session = 0;
    CK_OBJECT_HANDLE key = 0;

    bool open() {
        so = dlopen(IAS_PKCS11_MODULE, RTLD_NOW);
        CK_C_GetFunctionList get =
            so ? reinterpret_cast<CK_C_GetFunctionList>(dlsym(so, "C_GetFunctionList")) : nullptr;
        if (!get || get(&f) != CKR_OK || f->C_Initialize(nullptr) != CKR_OK) {
            return false;
        }
        CK_SLOT_ID slots[8];
        CK_ULONG count = 8;
        if (f->C_GetSlotList(CK_TRUE, slots, &count) != CKR_OK || count == 0 ||
            f->C_OpenSession(slots[0], CKF_SERIAL_SESSION, nullptr, nullptr, &session) != CKR_OK ||
            f->C_Login(session, CKU_USER, (CK_UTF8CHAR_PTR)kPin, sizeof kPin - 1) != CKR_OK) {
            return false;
        }
        CK_OBJECT_CLASS cls = CKO_PRIVATE_KEY;
        CK_BYTE id = kKeyId;
        CK_ATTRIBUTE tmpl[] = {{CKA_CLASS, &cls, sizeof cls}, {CKA_ID, &id, 1}};
        CK_ULONG found = 0;
        return f->C_FindObjectsInit(session, tmpl, 2) == CKR_OK &&
               f->C_FindObjects(session, &key, 1, &found) == CKR_OK &&
               f->C_FindObjectsFinal(session) == CKR_OK && found == 1;
    }
    ~Module() {
        if (f) {
            f->C_Finalize(nullptr);
        }
        if (so) {
            dlclose(so);
        }
    }
};

void ThroughModule(benchmark::State& state) {
    Module m;
    if (!m.open()) {
        state.SkipWithError("no token with the sample card's User PIN key");
        return;
    }
    CK_MECHANISM mechanism = {CKM_SHA256_RSA_PKCS, nullptr, 0};
    CK_BYTE message[] = "a message to sign";
    const long before = Sent();
    for (auto _ : state) {
        for (int i = 0; i < kSignatures; ++i) {
            CK_BYTE signature[512];
            CK_ULONG length = sizeof signature;
            if (m.f->C_SignInit(m.session, &mechanism, m.key) != CKR_OK ||
                m.f->C_Sign(m.session, message, sizeof message - 1, signature, &length) != CKR_OK) {
                state.SkipWithError("C_Sign failed");
                return;
            }
        }
    }
    g_apdusPerSignature = static_cast<double>(Sent() - before) / kSignatures;
}

bool Transmit(SCARDHANDLE card, const SCARD_IO_REQUEST* pci, const std::vector<BYTE>& command) {
    BYTE response[258];
    DWORD length = sizeof response;
    return SCardTransmit(card, pci, command.data(), static_cast<DWORD>(command.size()), nullptr,
                         response, &length) == SCARD_S_SUCCESS &&
           length >= 2 && response[length - 2] == 0x90 && response[length - 1] == 0x00;
}

void RawTransmit(benchmark::State& state) {
    SCARDCONTEXT context = 0;
    SCARDHANDLE card = 0;
    DWORD protocol = 0;
    if (SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context) != SCARD_S_SUCCESS ||
        SCardConnect(context, Env("IAS_TEST_READER").c_str(), SCARD_SHARE_SHARED, SCARD_PROTOCOL_T1,
                     &card, &protocol) != SCARD_S_SUCCESS) {
        state.SkipWithError("no T=1 card in IAS_TEST_READER");
        return;
    }
    const SCARD_IO_REQUEST* pci = SCARD_PCI_T1;
    // The key's DF and the PIN once, as the module's login did.
    const std::vector<BYTE> selectDf = {0x00, 0xA4, 0x04, 0x0C, 0x0C, 0xA0, 0x00, 0x00, 0x00,
                                        0x63, 0x50, 0x4B, 0x43, 0x53, 0x2D, 0x31, 0x35};
    const std::vector<BYTE> verify = {0x00, 0x20, 0x00, 0x81, 0x04, '1', '2', '3', '4'};
    const std::vector<BYTE> mse = {0x00, 0x22, 0x41, 0xA4, 0x06, 0x80,
                                   0x01, 0x02, 0x84, 0x01, 0x81};
    // INTERNAL AUTHENTICATE over a SHA-256 DigestInfo (the hash's value does
    // not change the card's work).
    std::vector<BYTE> sign = {0x00, 0x88, 0x00, 0x00, 0x33, 0x30, 0x31, 0x30,
                              0x0D, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01, 0x65,
                              0x03, 0x04, 0x02, 0x01, 0x05, 0x00, 0x04, 0x20};
    sign.resize(sign.size() + 32, 0x5A);
    sign.push_back(0x00);
    if (!Transmit(card, pci, verify) || !Transmit(card, pci, selectDf)) {
        state.SkipWithError("VERIFY or SELECT refused");
    } else {
        for (auto _ : state) {
            for (int i = 0; i < kSignatures; ++i) {
                if (!Transmit(card, pci, mse) || !Transmit(card, pci, sign)) {
                    state.SkipWithError("MSE or INTERNAL AUTHENTICATE refused");
                    break;
                }
            }
        }
    }
    SCardDisconnect(card, SCARD_RESET_CARD); // the PIN stays verified otherwise
    SCardReleaseContext(context);
}

} // namespace

int main(int argc, char** argv) {
    const alternating::Result r =
        alternating::Run(argc, argv, "SCardTransmit_MSE_IA_x50", RawTransmit, "C_Sign_SHA256_x50",
                         ThroughModule, "signatures_per_s", kSignatures);
    if (r.first > 0 && r.second > 0) {
        std::printf("signatures per second (median of %zu rounds): raw MSE + INTERNAL "
                    "AUTHENTICATE %.1f, module C_SignInit + C_Sign %.1f (%.0f %% of raw)\n",
                    r.rounds, kSignatures / r.first, kSignatures / r.second,
                    r.first / r.second * 100);
        std::printf("APDUs per signature through the module: %.2f (least: 2, MSE SET + "
                    "INTERNAL AUTHENTICATE)\n",
                    g_apdusPerSignature);
    }
    return 0;
}
