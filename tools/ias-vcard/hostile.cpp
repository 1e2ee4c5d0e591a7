#include "hostile.h"

#include <algorithm>

namespace vcard {

namespace {

// Status words a confused or malicious card might give instead of the truth.
constexpr std::uint16_t kWrongWords[] = {0x9000, 0x6282, 0x6283, 0x63C0, 0x63C2, 0x6581,
                                         0x6700, 0x6982, 0x6983, 0x6985, 0x6A82, 0x6A86,
                                         0x6B00, 0x6D00, 0x6E00, 0x6F00, 0x9100, 0x0000};

bool isGetResponse(const Bytes& apdu) {
    return apdu.size() >= 2 && apdu[1] == 0xC0;
}

Bytes sw(Bytes data, std::uint16_t word) {
    data.push_back(static_cast<std::uint8_t>(word >> 8));
    data.push_back(static_cast<std::uint8_t>(word & 0xFF));
    return data;
}

} // namespace

HostileCard::HostileCard(CardConfig config, std::uint32_t seed, unsigned rate)
    : card_(std::move(config)), rng_(seed), rate_(rate == 0 ? 1 : rate) {}

void HostileCard::reset() {
    card_.reset();
    loop61_ = 0;
}

void HostileCard::reseed(std::uint32_t seed) {
    rng_.seed(seed);
    reset();
}

Bytes HostileCard::garbage(std::size_t n) {
    Bytes out(n);
    for (auto& b : out) {
        b = static_cast<std::uint8_t>(rng_());
    }
    return out;
}

Bytes HostileCard::process(const Bytes& apdu) {
    if (loop61_ != 0 && isGetResponse(apdu)) {
        // A card stuck announcing more data: each round brings a few bytes and
        // another 61xx.
        if (loop61_ > 0) {
            --loop61_;
        }
        return sw(garbage(below(8)), static_cast<std::uint16_t>(0x6100 | below(256)));
    }
    loop61_ = 0;
    if (below(rate_) != 0) {
        return card_.process(apdu);
    }
    return mischief(apdu);
}

Bytes HostileCard::mischief(const Bytes& apdu) {
    Bytes honest = card_.process(apdu);
    Bytes data(honest.begin(), honest.end() - 2);
    const std::uint16_t word =
        static_cast<std::uint16_t>(honest[honest.size() - 2] << 8 | honest[honest.size() - 1]);
    switch (below(10)) {
    case 0: // flipped bytes in the data: a malformed FCP, a broken DER file
        for (std::size_t i = 0, n = 1 + below(4); i < n && !data.empty(); ++i) {
            data[below(data.size())] = static_cast<std::uint8_t>(rng_());
        }
        return sw(std::move(data), word);
    case 1: // an FCP or file cut short, claiming success
        data.resize(below(data.size() + 1));
        return sw(std::move(data), 0x9000);
    case 2: { // fewer than two bytes: no status word at all
        Bytes cut(honest.begin(), honest.begin() + static_cast<std::ptrdiff_t>(below(2)));
        return cut;
    }
    case 3: // more data than asked for, up to past the largest short response
        data = garbage(below(2) ? 200 + below(70) : below(40));
        return sw(std::move(data), 0x9000);
    case 4: // 61xx, and GET RESPONSE never ends (or ends after a while)
        loop61_ = below(3) == 0 ? -1 : static_cast<int>(1 + below(40));
        return sw(garbage(below(4)), static_cast<std::uint16_t>(0x6100 | below(256)));
    case 5: // wrong length, try again with another Le
        return sw({}, static_cast<std::uint16_t>(0x6C00 | below(256)));
    case 6: // a status word that has nothing to do with the command
        return sw(below(2) ? Bytes{} : garbage(below(16)),
                  kWrongWords[below(std::size(kWrongWords))]);
    case 7: // the card resets itself in the middle of a sequence
        card_.reset();
        return below(2) ? sw({}, 0x6F00) : card_.process(apdu);
    case 8: { // a well-formed but lying FCP: EF of any size and structure
        const std::uint8_t fid1 = apdu.size() > 6 ? apdu[5] : std::uint8_t{0};
        const std::uint8_t fid2 = apdu.size() > 6 ? apdu[6] : std::uint8_t{0};
        Bytes fcp = {0x62, 0x0E, 0x80, 0x02, 0,    0,    0x82, 0x01,
                     0,    0x83, 0x02, fid1, fid2, 0x8A, 0x01, 0};
        fcp[4] = static_cast<std::uint8_t>(rng_());
        fcp[5] = static_cast<std::uint8_t>(rng_());
        fcp[8] = static_cast<std::uint8_t>(below(2) ? 0x01 : rng_());
        fcp[15] = static_cast<std::uint8_t>(rng_());
        return sw(std::move(fcp), 0x9000);
    }
    default: // random data with success
        return sw(garbage(below(64)), 0x9000);
    }
}

} // namespace vcard
