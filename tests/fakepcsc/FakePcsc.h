#ifndef TESTS_FAKEPCSC_FAKEPCSC_H
#define TESTS_FAKEPCSC_FAKEPCSC_H

#include <winscard.h>

#include <functional>
#include <string>
#include <vector>

// pcsc-lite's client functions, scripted; linked into the test program, they
// win over libpcsclite's. They produce the failures a running daemon does
// not: a refused context, a daemon that goes away, no readers at all.
struct FakePcsc {
    LONG establish = SCARD_S_SUCCESS;
    LONG isValid = SCARD_S_SUCCESS;
    LONG listReaders = SCARD_S_SUCCESS;
    std::string readers = std::string("Fake Reader 0\0Fake Reader 1\0", 28);
    LONG connect = SCARD_S_SUCCESS;
    DWORD protocol = SCARD_PROTOCOL_T1;
    LONG transmit = SCARD_S_SUCCESS;
    std::vector<unsigned char> answer = {0x90, 0x00};
    LONG reconnect = SCARD_S_SUCCESS;
    DWORD reconnectPreferred = 0; // recorded
    LONG disconnect = SCARD_S_SUCCESS;
    LONG statusChange = SCARD_S_SUCCESS;
    LONG status = SCARD_S_SUCCESS; // SCardStatus: "Fake Reader 0", this state, ATR 3B 00
    DWORD state = SCARD_PRESENT | SCARD_POWERED | SCARD_NEGOTIABLE;
    DWORD eventState = 0; // SCardGetStatusChange: 0 leaves the records as they are
    std::vector<unsigned char> eventAtr;
    // When set, answers each command in place of `answer`.
    std::function<std::vector<unsigned char>(const std::vector<unsigned char>&)> respond;
    LONG begin = SCARD_S_SUCCESS;
    LONG end = SCARD_S_SUCCESS;

    int establishCalls = 0;
    int releaseCalls = 0;
    int disconnectCalls = 0;
    int beginCalls = 0;
    int endCalls = 0;
    std::vector<std::vector<unsigned char>> sent;

    /// Back to a healthy daemon with nothing recorded.
    static void Reset();
};

extern FakePcsc g_fake;

#endif
