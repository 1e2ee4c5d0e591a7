// ias-pcsc-wait READER present|absent [TIMEOUT_MS]: waits until pcscd reports
// a card in READER (or no card), so that scripts can start and stop the
// virtual card without racing the daemon. Exit 0 when reached, 1 on time-out.
#include <PCSC/winscard.h>
#include <PCSC/wintypes.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3 || (std::string(argv[2]) != "present" && std::string(argv[2]) != "absent")) {
        std::cerr << "usage: ias-pcsc-wait READER present|absent [TIMEOUT_MS]\n";
        return 2;
    }
    std::string reader = argv[1];
    bool wantPresent = std::string(argv[2]) == "present";
    long timeoutMs = argc > 3 ? std::strtol(argv[3], nullptr, 10) : 10000;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);

    SCARDCONTEXT ctx = 0;
    while (SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &ctx) != SCARD_S_SUCCESS) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::cerr << "ias-pcsc-wait: pcscd not reachable\n";
            return 1;
        }
        ctx = 0;
        timespec ts{0, 100 * 1000 * 1000};
        nanosleep(&ts, nullptr);
    }
    SCARD_READERSTATE rs{};
    rs.szReader = reader.c_str();
    rs.dwCurrentState = SCARD_STATE_UNAWARE;
    int rc = 1;
    while (std::chrono::steady_clock::now() < deadline) {
        LONG r = SCardGetStatusChange(ctx, 200, &rs, 1);
        if (r != SCARD_S_SUCCESS && r != static_cast<LONG>(SCARD_E_TIMEOUT)) {
            // Unknown reader while pcscd is still starting: keep asking.
            timespec ts{0, 100 * 1000 * 1000};
            nanosleep(&ts, nullptr);
            rs.dwCurrentState = SCARD_STATE_UNAWARE;
            continue;
        }
        DWORD state = rs.dwEventState;
        rs.dwCurrentState = state & ~static_cast<DWORD>(SCARD_STATE_CHANGED);
        bool present = (state & SCARD_STATE_PRESENT) && !(state & SCARD_STATE_MUTE);
        bool absent = (state & SCARD_STATE_EMPTY) != 0;
        if ((wantPresent && present) || (!wantPresent && absent)) {
            rc = 0;
            break;
        }
    }
    SCardReleaseContext(ctx);
    if (rc != 0) {
        std::cerr << "ias-pcsc-wait: time-out waiting for card " << argv[2] << " in " << reader
                  << "\n";
    }
    return rc;
}
