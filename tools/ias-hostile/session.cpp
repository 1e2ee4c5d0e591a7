// ias-hostile: whole sessions of an application (CIA walk through the token
// layer, PIN operations, card recognition) against a card that lies. Every
// failure must arrive as ias::CIASException (IASGetVersion may throw anything);
// a session that does not end within the time-out, a crash or a sanitizer
// report fails the run. See --help.
#include "session.h"

#include "token/Token.h"

#include <ias/ias.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <utility>

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

// Touches what an application reads of an object.
std::size_t touch(const ias::CCioObject& o) {
    return o.label().size() + o.authIdReference().size() + o.accessControlRules().size() +
           static_cast<std::size_t>(o.flags() & 1) + static_cast<std::size_t>(o.choice() & 1);
}

template <class File> std::size_t objectsOf(ias::CIASCard& card, const ias::CCiaPath& path) {
    File file(card, path);
    file.load();
    std::size_t bytes = 0;
    for (const auto* o : file.objects()) {
        bytes += touch(*o);
    }
    return bytes;
}

// Whether the walk recorded a problem for the file `name` opened at `path`.
bool troubled(const token::Token& t, const std::string& name, const ias::CCiaPath& path) {
    for (const token::Problem& p : t.problems()) {
        if (p.file == name && p.path == path) {
            return true;
        }
    }
    return false;
}

} // namespace

Tally::Tally() : steps(), refused(), escaped(0), sessions(0) {}

// Runs a step's body: true when the library refused it, as it may with
// CIASException and nothing else.
template <class F> bool Session::refused(Step s, F&& body) {
    try {
        body();
    } catch (const ias::CIASException&) {
        return true;
    } catch (const std::exception& e) {
        // IASGetVersion lets the library's internal exceptions through, but
        // none of those is a std::exception.
        ++m_tally.escaped;
        std::fprintf(stderr, "ias-hostile: seed %u step %d: escaped %s\n", m_seed, s, e.what());
    } catch (...) {
        if (s == Recognition) {
            return true;
        }
        ++m_tally.escaped;
        std::fprintf(stderr, "ias-hostile: seed %u step %d: escaped a non-exception\n", m_seed, s);
    }
    return false;
}

void Session::count(Step s, bool wasRefused) {
    ++m_tally.steps[s];
    m_tally.refused[s] += wasRefused ? 1 : 0;
}

template <class F> void Session::step(Step s, F&& body) {
    count(s, refused(s, body));
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
    // The token layer records each refusal as a problem of its file; a step
    // per file, refused when the walk recorded one for it.
    token::Token t;
    bool walked = false;
    const bool refusedWhole = refused(Directory, [&] {
        t = token::Token::read(card);
        walked = true;
    });
    if (!walked) {
        count(Directory, refusedWhole);
        return;
    }
    count(Directory, troubled(t, "EF.DIR", t.directory().path));
    count(ObjectDirectory, troubled(t, "EF.OD", t.objectDirectory().path));
    if (t.objectDirectory().selected) {
        const bool touched = refused(CiaInfo, [&] {
            const ias::CCiaInfoFile* info = t.ciaInfo();
            m_sink += info ? info->manufacturerId().size() + info->supportedAlgorithms().size() : 0;
        });
        count(CiaInfo, touched || troubled(t, "EF.CIAInfo", t.ciaInfoFile().path));
    }
    for (std::size_t i = 0; i < t.files().size(); ++i) {
        const token::FileRead& f = t.files()[i];
        const bool touched = refused(Objects, [&] {
            for (const token::CioEntry& e : t.entries()) {
                m_sink += e.file == i && e.object != nullptr ? touch(*e.object) : 0;
            }
        });
        count(Objects, touched || troubled(t, f.name, f.path));
    }
    if (!t.odEntries().empty()) {
        return;
    }
    // EF.OD lied: the typed readers still meet the lying card, at the sample layout.
    const ias::CCiaPath app =
        t.objectDirectory().selected ? t.applicationPath() : pathOf(ias::_HB("3F005015"));
    using Reader = std::size_t (*)(ias::CIASCard&, const ias::CCiaPath&);
    const std::pair<const char*, Reader> sample[] = {{"4402", &objectsOf<ias::CPrivateKeyFile>},
                                                     {"4403", &objectsOf<ias::CPublicKeyFile>},
                                                     {"4404", &objectsOf<ias::CCertificateFile>},
                                                     {"4405", &objectsOf<ias::CDataContainerFile>},
                                                     {"4401", &objectsOf<ias::CAuthObjectFile>}};
    for (const auto& file : sample) {
        step(Objects, [&] { m_sink += file.second(card, app + pathOf(ias::_HB(file.first))); });
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
