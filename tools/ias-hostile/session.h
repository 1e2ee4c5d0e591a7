// One session of an application against a (possibly lying) card in a reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ias {
class CIASCard;
}

namespace hostile {

enum Step { Directory, ObjectDirectory, CiaInfo, Objects, Pin, Recognition, StepCount };

// What a run of sessions saw: steps tried and refused, and failures that
// escaped as something other than ias::CIASException.
struct Tally {
    Tally();
    unsigned long steps[StepCount];
    unsigned long refused[StepCount];
    unsigned long escaped;
    unsigned long sessions;
};

class Session {
public:
    // timeout: seconds before a session counts as hung and ends the process.
    Session(Tally& tally, std::string reader, std::uint32_t seed, unsigned timeout);
    void run();

private:
    template <class F> bool refused(Step s, F&& body);
    void count(Step s, bool wasRefused);
    template <class F> void step(Step s, F&& body);
    void walk(ias::CIASCard& card);
    void pins(ias::CIASCard& card);

    Tally& m_tally;
    std::string m_reader;
    std::uint32_t m_seed;
    unsigned m_timeout;
    std::size_t m_sink = 0; // keeps the reads from being optimised away
};

} // namespace hostile
