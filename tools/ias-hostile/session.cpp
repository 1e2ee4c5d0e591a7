// ias-hostile: whole sessions of an application (CIA walk through the public
// readers, PIN operations, card recognition) against a card that lies. Every
// failure must arrive as ias::CIASException (IASGetVersion may throw anything);
// a session that does not end within the time-out, a crash or a sanitizer
// report fails the run. See --help.
#include "session.h"

#include <ias/ias.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace hostile {

namespace {

volatile std::sig_atomic_t g_session = 0;
volatile std::sig_atomic_t g_seed = 0;

void onAlarm(int) {
    char text[96];
    const int n = std::snprintf(text, sizeof text, "ias-hostile: session %d (seed %d) hung\n",
                                static_cast<int>(g_session), static_cast<int>(g_seed));
    if (n > 0 && write(2, text, static_cast<std::size_t>(n)) < 0) {
        _exit(3);
    }
    _exit(3);
}

ias::CCiaPath pathOf(const ias::CBlob& efidOrPath) {
    ias::CCiaPath p;
    p.setEfidOrPath(efidOrPath);
    return p;
}

// Touches what an application reads of each object.
template <class File> std::size_t objectsOf(ias::CIASCard& card, const ias::CCiaPath& path) {
    File file(card, path);
    file.load();
    std::size_t bytes = 0;
    for (const auto* o : file.objects()) {
        bytes += o->label().size() + o->authIdReference().size() + o->accessControlRules().size();
        bytes +=
            static_cast<std::size_t>(o->flags() & 1) + static_cast<std::size_t>(o->choice() & 1);
    }
    return bytes;
}

} // namespace

Tally::Tally() : steps(), refused(), escaped(0), sessions(0) {}

// Runs one step; the library may refuse with CIASException and nothing else.
template <class F> void Session::step(Step s, F&& body) {
    try {
        body();
    } catch (const ias::CIASException&) {
        ++m_tally.refused[s];
    } catch (const std::exception& e) {
        // IASGetVersion lets the library's internal exceptions through, but
        // none of those is a std::exception.
        ++m_tally.escaped;
        std::fprintf(stderr, "ias-hostile: seed %u step %d: escaped %s\n", m_seed, s, e.what());
    } catch (...) {
        if (s == Recognition) {
            ++m_tally.refused[s];
            ++m_tally.steps[s];
            return;
        }
        ++m_tally.escaped;
        std::fprintf(stderr, "ias-hostile: seed %u step %d: escaped a non-exception\n", m_seed, s);
    }
    ++m_tally.steps[s];
}

Session::Session(Tally& tally, std::string reader, std::uint32_t seed, unsigned timeout)
    : m_tally(tally), m_reader(std::move(reader)), m_seed(seed), m_timeout(timeout) {}

void Session::run() {
    g_session = static_cast<int>(m_tally.sessions);
    g_seed = static_cast<int>(m_seed);
    std::signal(SIGALRM, onAlarm);
    alarm(m_timeout);
    void* context = nullptr;
    if (ias::IASInitialize(&context) == ias::IAS_S_OK) {
        {
            ias::CIASCard card;
            if (ias::IASConnectA(context, &m_reader[0], card) == ias::IAS_S_OK) {
                walk(card);
                pins(card);
            }
        }
        ias::IASFinalize(context);
    }
    step(Recognition, [&] {
        ias::IasVersion version = 0;
        ias::IASGetVersion(&m_reader[0], version);
    });
    alarm(0);
    ++m_tally.sessions;
}

void Session::walk(ias::CIASCard& card) {
    // The application from EF.DIR when the card tells it, else the usual one.
    ias::CCiaPath app = pathOf(ias::_HB("3F005015"));
    step(Directory, [&] {
        ias::CApplicationDirectoryFile dir(card);
        dir.load();
        for (const ias::CApplicationTemplate& t : dir.applicationTemplates()) {
            if (t.path().size() >= 2 && t.path().size() % 2 == 0) {
                app = pathOf(t.path());
            }
        }
    });
    ias::CObjectDirectoryFile::CioFileList files;
    step(ObjectDirectory, [&] {
        ias::CObjectDirectoryFile od(card, app + pathOf(ias::_HB("5031")));
        od.load();
        files = od.cioFiles();
    });
    step(CiaInfo, [&] {
        ias::CCiaInfoFile info(card, app + pathOf(ias::_HB("5032")));
        info.load();
        m_sink += info.manufacturerId().size() + info.supportedAlgorithms().size();
    });
    if (files.empty()) { // EF.OD lied: try the sample layout
        const char* ids[] = {"4402", "4403", "4404", "4405", "4401"};
        const ias::CObjectDirectoryFile::CioChoice kinds[] = {
            ias::CObjectDirectoryFile::PrivateKeys, ias::CObjectDirectoryFile::PublicKeys,
            ias::CObjectDirectoryFile::Certificates,
            ias::CObjectDirectoryFile::DataContainerObjects,
            ias::CObjectDirectoryFile::AuthObjects};
        for (int i = 0; i < 5; ++i) {
            files.emplace_back(kinds[i], app + pathOf(ias::_HB(ids[i])));
        }
    }
    for (const auto& entry : files) {
        step(Objects, [&] {
            switch (entry.first) {
            case ias::CObjectDirectoryFile::PrivateKeys:
                m_sink += objectsOf<ias::CPrivateKeyFile>(card, entry.second);
                break;
            case ias::CObjectDirectoryFile::PublicKeys:
            case ias::CObjectDirectoryFile::TrustedPublicKeys:
                m_sink += objectsOf<ias::CPublicKeyFile>(card, entry.second);
                break;
            case ias::CObjectDirectoryFile::Certificates:
            case ias::CObjectDirectoryFile::TrustedCertificates:
            case ias::CObjectDirectoryFile::UsefulCertificates:
                m_sink += objectsOf<ias::CCertificateFile>(card, entry.second);
                break;
            case ias::CObjectDirectoryFile::DataContainerObjects:
                m_sink += objectsOf<ias::CDataContainerFile>(card, entry.second);
                break;
            case ias::CObjectDirectoryFile::AuthObjects:
                m_sink += objectsOf<ias::CAuthObjectFile>(card, entry.second);
                break;
            default:
                break;
            }
        });
    }
}

void Session::pins(ias::CIASCard& card) {
    // Values of the sample cards; a lying card may block or refuse them anyway.
    step(Pin, [&] { card.verify(0x81, ias::CBlob(std::string("1234"))); });
    step(Pin, [&] { card.changePIN(0x81, ias::CBlob(std::string("1234"))); });
    step(Pin, [&] { card.unblockPIN(0x81, ias::CBlob(std::string("12345678"))); });
    step(Pin, [&] {
        ias::CBlob response;
        unsigned short sw = 0;
        card.sendAPDU(0x00, 0xB0, 0x9E, 0x00, ias::CBlob(), 0, response, sw);
        card.reset();
    });
}

} // namespace hostile
