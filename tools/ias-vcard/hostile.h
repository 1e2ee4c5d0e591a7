// A card that lies: wraps the honest engine and, drawn from a seeded generator,
// answers some commands with malformed FCPs, cut or over-long responses,
// endless 61xx, 6Cxx, wrong status words, garbage data or a reset in the middle
// of a sequence. The same seed and the same commands give the same answers.
#pragma once

#include "card.h"

#include <cstdint>
#include <random>

namespace vcard {

class HostileCard {
public:
    // rate: one command in `rate` on average is answered with mischief.
    HostileCard(CardConfig config, std::uint32_t seed, unsigned rate = 4);

    const Bytes& atr() const { return card_.atr(); }
    int protocol() const { return card_.protocol(); }
    void reset();
    Bytes process(const Bytes& apdu);
    // Starts a new session: a fresh stream of mischief from its own seed.
    void reseed(std::uint32_t seed);

private:
    std::size_t below(std::size_t n) { return n == 0 ? 0 : rng_() % n; }
    Bytes garbage(std::size_t n);
    Bytes mischief(const Bytes& apdu);

    VirtualCard card_;
    std::mt19937 rng_;
    unsigned rate_;
    int loop61_ = 0; // GET RESPONSE rounds still to answer 61xx; < 0: for ever
};

} // namespace vcard
