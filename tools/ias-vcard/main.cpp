// ias-vcard: plays one smart card, described by a JSON profile, in a vpcd
// virtual reader of pcscd.
#include "card.h"
#include "hostile.h"
#include "profile.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int) {
    g_stop = 1;
}

struct Options {
    std::string host = "127.0.0.1";
    std::string port = "35963";
    std::string trace;
    std::string pidFile;
    std::string profile;
    bool verbose = false;
    std::optional<std::uint32_t> hostileSeed;
};

void usage() {
    std::cerr << "usage: ias-vcard [--host H] [--port P] [--reader 0|1] [--trace FILE]\n"
                 "                 [--pidfile FILE] [--hostile SEED] [--verbose] PROFILE.json\n";
}

class Trace {
public:
    explicit Trace(const std::string& path) {
        if (!path.empty()) {
            file_ = std::fopen(path.c_str(), "a");
            if (file_ == nullptr) {
                throw std::runtime_error("cannot open trace file " + path);
            }
        }
    }
    ~Trace() {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;
    void line(const std::string& text) {
        if (file_ != nullptr) {
            std::fprintf(file_, "%s\n", text.c_str());
            std::fflush(file_);
        }
    }

private:
    std::FILE* file_ = nullptr;
};

int connectTo(const Options& o) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(o.host.c_str(), o.port.c_str(), &hints, &list) != 0) {
        return -1;
    }
    int fd = -1;
    for (addrinfo* a = list; a != nullptr && fd < 0; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (fd < 0) {
            continue;
        }
        if (connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(list);
    if (fd >= 0) {
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    return fd;
}

// Reads exactly n bytes, waking up regularly to notice a stop request.
// Returns false on end of stream, error or stop.
bool readExact(int fd, std::uint8_t* buf, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
        if (g_stop) {
            return false;
        }
        pollfd p{fd, POLLIN, 0};
        int r = poll(&p, 1, 200);
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r < 0) {
            return false;
        }
        if (r == 0) {
            continue;
        }
        ssize_t k = recv(fd, buf + got, n - got, 0);
        if (k < 0 && errno == EINTR) {
            continue;
        }
        if (k <= 0) {
            return false;
        }
        got += static_cast<std::size_t>(k);
        int quick = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &quick, sizeof quick);
    }
    return true;
}

bool sendMessage(int fd, const vcard::Bytes& payload) {
    vcard::Bytes msg;
    msg.push_back(static_cast<std::uint8_t>(payload.size() >> 8));
    msg.push_back(static_cast<std::uint8_t>(payload.size() & 0xFF));
    msg.insert(msg.end(), payload.begin(), payload.end());
    std::size_t sent = 0;
    while (sent < msg.size()) {
        ssize_t k = send(fd, msg.data() + sent, msg.size() - sent, MSG_NOSIGNAL);
        if (k < 0 && errno == EINTR) {
            continue;
        }
        if (k <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(k);
    }
    return true;
}

// Serves one vpcd connection until it closes or a stop is requested.
template <class Card> void serve(int fd, Card& card, Trace& trace, bool verbose) {
    for (;;) {
        std::uint8_t head[2];
        if (!readExact(fd, head, 2)) {
            return;
        }
        std::size_t len = static_cast<std::size_t>(head[0] << 8 | head[1]);
        vcard::Bytes msg(len);
        if (len > 0 && !readExact(fd, msg.data(), len)) {
            return;
        }
        if (len == 1) {
            switch (msg[0]) {
            case 0: // power off
                card.reset();
                trace.line("! POWER_OFF");
                break;
            case 1: // power on
                card.reset();
                trace.line("! POWER_ON");
                break;
            case 2: // reset
                card.reset();
                trace.line("! RESET");
                break;
            case 4: // ATR request
                if (!sendMessage(fd, card.atr())) {
                    return;
                }
                break;
            default:
                if (verbose) {
                    std::cerr << "ias-vcard: unknown control code " << int(msg[0]) << "\n";
                }
            }
            continue;
        }
        vcard::Bytes response = card.process(msg);
        if (response.empty()) {
            // The vpcd driver waits for ever on a frame without bytes, and
            // pcscd with it. A stray byte reaches the application the same
            // way: an answer without a status word.
            response.push_back(0x00);
        }
        trace.line("> " + vcard::toHex(msg));
        trace.line("< " + vcard::toHex(response));
        if (verbose) {
            std::cerr << "> " << vcard::toHex(msg) << "\n< " << vcard::toHex(response) << "\n";
        }
        if (!sendMessage(fd, response)) {
            return;
        }
    }
}

void sleepMs(int ms) {
    // Sliced so that SIGTERM ends the wait promptly.
    for (int slept = 0; slept < ms && !g_stop; slept += 50) {
        usleep(50 * 1000);
    }
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char* name) -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "ias-vcard: " << name << " needs a value\n";
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--host") {
            o.host = value("--host");
        } else if (a == "--port") {
            o.port = value("--port");
        } else if (a == "--reader") {
            std::string r = value("--reader");
            if (r != "0" && r != "1") {
                std::cerr << "ias-vcard: --reader is 0 or 1\n";
                return 2;
            }
            o.port = r == "0" ? "35963" : "35964";
        } else if (a == "--trace") {
            o.trace = value("--trace");
        } else if (a == "--pidfile") {
            o.pidFile = value("--pidfile");
        } else if (a == "--hostile") {
            o.hostileSeed = static_cast<std::uint32_t>(std::stoul(value("--hostile")));
        } else if (a == "--verbose") {
            o.verbose = true;
        } else if (a == "-h" || a == "--help") {
            usage();
            return 0;
        } else if (!a.empty() && a[0] == '-') {
            std::cerr << "ias-vcard: unknown option " << a << "\n";
            usage();
            return 2;
        } else if (o.profile.empty()) {
            o.profile = a;
        } else {
            usage();
            return 2;
        }
    }
    if (o.profile.empty()) {
        usage();
        return 2;
    }

    try {
        vcard::CardConfig config = vcard::loadProfile(o.profile);
        if (o.hostileSeed) {
            config.hostileSeed = o.hostileSeed;
        }
        std::optional<vcard::VirtualCard> honest;
        std::optional<vcard::HostileCard> hostile;
        if (config.hostileSeed) {
            const std::uint32_t seed = *config.hostileSeed;
            const unsigned rate = config.hostileRate;
            hostile.emplace(std::move(config), seed, rate);
        } else {
            honest.emplace(std::move(config));
        }
        Trace trace(o.trace);

        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGTERM, &sa, nullptr);
        sigaction(SIGINT, &sa, nullptr);
        signal(SIGPIPE, SIG_IGN);

        if (!o.pidFile.empty()) {
            std::ofstream(o.pidFile) << getpid() << "\n";
        }
        int backoff = 100;
        while (!g_stop) {
            int fd = connectTo(o);
            if (fd < 0) {
                if (o.verbose) {
                    std::cerr << "ias-vcard: vpcd not reachable, retrying\n";
                }
                sleepMs(backoff);
                backoff = backoff < 2000 ? backoff * 2 : 2000;
                continue;
            }
            backoff = 100;
            if (o.verbose) {
                std::cerr << "ias-vcard: connected to " << o.host << ":" << o.port << "\n";
            }
            if (hostile) {
                hostile->reset();
                serve(fd, *hostile, trace, o.verbose);
            } else {
                honest->reset();
                serve(fd, *honest, trace, o.verbose);
            }
            close(fd);
            if (!g_stop) {
                sleepMs(backoff);
            }
        }
        if (!o.pidFile.empty()) {
            unlink(o.pidFile.c_str());
        }
    } catch (const std::exception& e) {
        std::cerr << "ias-vcard: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
