// The card engine: a file system, PINs and the command set of an IAS-ECC card,
// driven one APDU at a time. Independent of any transport.
#pragma once

#include "bytes.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct evp_pkey_st; // OpenSSL's EVP_PKEY

namespace vcard {

// A private RSA key kept in a DF and the terms of its use.
struct KeyConfig {
    std::uint8_t reference = 0;       // named by MANAGE SECURITY ENVIRONMENT, tag 84
    std::shared_ptr<evp_pkey_st> key; // never null once loaded
    std::uint8_t pin = 0;             // must be verified for every use
    bool userConsent = false;         // every use takes a fresh VERIFY
    Bytes algRefs;                    // tag 80 values it may be used with
};

struct FileNode {
    bool isDf = false;
    std::uint16_t fid = 0;
    std::optional<std::uint8_t> sfi;     // EF only; absent means "no short identifier"
    bool announceSfi = true;             // write tag 88 into the FCP
    Bytes dfName;                        // DF only
    Bytes content;                       // EF only, filler included
    std::uint8_t lifeCycle = 0x05;       // operational, activated
    Bytes securityAttributes;            // value of tag 8C
    bool securityInA1 = false;           // wrap 8C into A1 as some cards do
    Bytes proprietaryA5;                 // value of tag A5
    std::optional<std::uint8_t> readPin; // PIN reference that must be verified to read
    std::vector<KeyConfig> keys;         // DF only
    FileNode* parent = nullptr;
    std::vector<std::unique_ptr<FileNode>> children;
};

struct PinConfig {
    std::uint8_t reference = 0;
    Bytes value;
    int maxTries = 3;
    int tries = 3;
    std::optional<std::uint8_t> unblockedBy;
    std::size_t minLength = 4;
    std::size_t maxLength = 16;
};

struct Fault {
    Bytes match; // command prefix that triggers the fault
    std::uint16_t sw = 0x6F00;
    int skip = 0;  // matching commands to let through first
    int times = 1; // how often to fire; < 0 means forever
};

struct Behaviour {
    bool selectMfP1_00 = true;          // SELECT 3F00 with P1 00 accepted
    bool selectMfP1_01 = false;         // SELECT 3F00 with P1 01 accepted
    std::size_t maxResponse = 256;      // largest data field in one response
    bool getResponseAlways = false;     // T=1: case-4 data through 61xx too
    std::size_t getResponsePiece = 256; // bytes announced per 61xx
    bool wrapOddRead = true;            // B1 answers inside a 53 object
};

struct CardConfig {
    std::string name;
    Bytes atr;
    Behaviour behaviour;
    std::unique_ptr<FileNode> mf;
    std::vector<PinConfig> pins;
    std::vector<Fault> faults;
    std::optional<std::uint32_t> hostileSeed; // play the lying card (hostile.h)
    unsigned hostileRate = 4;                 // one command in this many lies
};

// 1 for T=1, 0 for T=0: the first protocol the ATR offers.
int protocolOfAtr(const Bytes& atr);

class VirtualCard {
public:
    explicit VirtualCard(CardConfig config);

    const Bytes& atr() const { return config_.atr; }
    int protocol() const { return protocol_; }
    // Power-up or warm reset: MF current, security state (PINs, security
    // environment, stored hash) and pending data lost.
    void reset();
    // One command APDU in, one response APDU (data and status word) out.
    Bytes process(const Bytes& apdu);

private:
    struct Command {
        std::uint8_t cla, ins, p1, p2;
        Bytes data;
        bool hasLe = false;
        std::size_t le = 0;
    };
    struct Reply {
        Bytes data;
        std::uint16_t sw = 0x9000;
        bool deferred = false; // case-4 data: may go through 61xx
    };
    struct PinState {
        PinConfig config;
        bool verified = false;
    };
    // The one security environment MANAGE SECURITY ENVIRONMENT sets.
    struct Environment {
        std::uint8_t crt = 0; // A4 authentication, B6 signature, B8 confidentiality
        std::uint8_t algRef = 0;
        const KeyConfig* key = nullptr;
    };

    Reply dispatch(const Command& c);
    Reply select(const Command& c);
    Reply readBinary(const Command& c);
    Reply verify(const Command& c);
    Reply changeReference(const Command& c);
    Reply resetRetryCounter(const Command& c);
    Reply getResponse(const Command& c);
    // Security operations (security.cpp).
    Reply manageSecurityEnvironment(const Command& c);
    Reply performSecurityOperation(const Command& c);
    Reply hash(const Command& c);
    Reply computeSignature(const Command& c);
    Reply decipher(const Command& c);
    Reply internalAuthenticate(const Command& c);
    Reply getChallenge(const Command& c);
    const KeyConfig* findKey(std::uint8_t reference) const;
    // 9000 when the key's PIN is verified, which a user-consent key then spends.
    std::uint16_t useKey(const KeyConfig& k);
    Bytes shape(const Command& c, Reply r);
    Bytes announce(Bytes data);

    FileNode* childByFid(FileNode* df, std::uint16_t fid) const;
    FileNode* findByName(FileNode* df, const Bytes& name) const;
    FileNode* walkPath(FileNode* start, const Bytes& path) const;
    Bytes fcp(const FileNode& f) const;
    PinState* pin(std::uint8_t reference);
    // Only VERIFY and CHANGE REFERENCE DATA leave the PIN verified; a PUK shown
    // inside RESET RETRY COUNTER does not.
    Reply checkPin(PinState& p, const Bytes& candidate, bool markVerified);

    CardConfig config_;
    int protocol_;
    std::vector<PinState> pins_;
    FileNode* currentDf_ = nullptr;
    FileNode* currentEf_ = nullptr;
    Bytes pending_; // data waiting for GET RESPONSE
    Bytes chain_;   // data of a command chain in progress
    bool chaining_ = false;
    std::uint8_t chainIns_ = 0;
    std::optional<Environment> env_;
    Bytes hash_; // from PSO HASH, waiting for COMPUTE DIGITAL SIGNATURE
};

} // namespace vcard
