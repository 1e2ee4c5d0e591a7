// ias-hostile [--sessions N] [--seed S] [--timeout SEC] [--reader NAME]
//             [--pkcs11 MODULE] PROFILE.json
//
// With --pkcs11, each session is an application's life through the PKCS#11
// MODULE instead of the library's API: slots, tokens, every object and its
// attributes, a login (PIN 1234), logout. Every refusal must be a CKR_ code.
// ias-hostile plays the card of PROFILE, lying, in an in-process reader (see
// loopback.h), a fresh card per session seeded with S + session number, so any
// session is replayed alone with --seed S+i --sessions 1. ias-hostile-pcsc,
// built without the loopback, goes through pcscd to the card in --reader
// (ias-vcard --hostile SEED).
// Exit status: 0 all sessions ended and every failure was an
// ias::CIASException; 1 some failure escaped as another type; 2 usage; 3 hang.
#include "module_session.h"
#include "session.h"
#ifdef IAS_HOSTILE_LOOPBACK
#include "loopback.h"
#include "profile.h"
#endif

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

int usage() {
    std::fprintf(stderr, "usage: ias-hostile [--sessions N] [--seed S] [--timeout SEC] "
                         "[--reader NAME] [--pkcs11 MODULE] PROFILE.json\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    unsigned long sessions = 300;
    std::uint32_t seed = 1;
    unsigned timeout = 20;
    std::string reader;
    std::string profile;
    std::string module;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--sessions" && hasValue) {
            sessions = std::strtoul(argv[++i], nullptr, 10);
        } else if (a == "--seed" && hasValue) {
            seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (a == "--timeout" && hasValue) {
            timeout = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (a == "--reader" && hasValue) {
            reader = argv[++i];
        } else if (a == "--pkcs11" && hasValue) {
            module = argv[++i];
        } else if (a[0] != '-' && profile.empty()) {
            profile = a;
        } else {
            return usage();
        }
    }
#ifdef IAS_HOSTILE_LOOPBACK
    if (profile.empty()) {
#else
    if (reader.empty()) {
#endif
        return usage();
    }
    hostile::Tally tally;
    unsigned long moduleRefusals = 0;
    std::unique_ptr<hostile::ModuleSession> p11;
    try {
        if (!module.empty()) {
            p11.reset(new hostile::ModuleSession(module));
        }
        for (unsigned long i = 0; i < sessions; ++i) {
            const auto sessionSeed = static_cast<std::uint32_t>(seed + i);
#ifdef IAS_HOSTILE_LOOPBACK
            vcard::HostileCard card(vcard::loadProfile(profile), sessionSeed);
            hostile::insertCard(&card, sessionSeed);
            if (p11) {
                moduleRefusals += p11->run();
                ++tally.sessions;
            } else {
                hostile::Session(tally, hostile::kLoopbackReader, sessionSeed, timeout).run();
            }
            hostile::insertCard(nullptr, 0);
#else
            hostile::Session(tally, reader, sessionSeed, timeout).run();
#endif
            if ((i + 1) % 1000 == 0) {
                std::fprintf(stderr, "ias-hostile: %lu sessions, %lu escaped\n", i + 1,
                             tally.escaped);
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ias-hostile: %s\n", e.what());
        return 2;
    }
    static const char* const names[] = {"EF.DIR",  "EF.OD", "EF.CIAInfo",
                                        "objects", "PIN",   "recognition"};
    std::printf("ias-hostile: %lu sessions from seed %u\n", tally.sessions, seed);
    for (int s = 0; s < hostile::StepCount; ++s) {
        std::printf("  %-12s %8lu steps, %8lu refused\n", names[s], tally.steps[s],
                    tally.refused[s]);
    }
    if (!module.empty()) {
        std::printf("  PKCS#11: %lu tokens, %lu objects, %lu key operations, %lu calls refused\n",
                    p11 ? p11->tokens() : 0, p11 ? p11->objectsRead() : 0,
                    p11 ? p11->keyOperations() : 0, moduleRefusals);
    }
    std::printf("  escaped      %8lu\n", tally.escaped);
    // Through the module, a soak that never reached a token tested nothing.
    const bool reached = !p11 || (p11->tokens() > 0 && p11->objectsRead() > 0);
    return tally.escaped == 0 && reached ? 0 : 1;
}
