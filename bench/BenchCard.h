#ifndef BENCH_BENCHCARD_H
#define BENCH_BENCHCARD_H

#include <ias/ias.h>

#include <cstdlib>
#include <string>

/// The value of an environment variable, or "" when unset.
inline std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? v : "";
}

/// A library context and a card handle connected to the reader named by
/// IAS_TEST_READER (scripts/bench puts the virtual card there). The context
/// is released when this goes out of scope.
struct BenchCard {
    BenchCard() {
        std::string reader = Env("IAS_TEST_READER");
        connected = ias::IASInitialize(&context) == ias::IAS_S_OK &&
                    ias::IASConnectA(context, &reader[0], card) == ias::IAS_S_OK;
    }
    ~BenchCard() { ias::IASFinalize(context); }
    BenchCard(const BenchCard&) = delete;
    BenchCard& operator=(const BenchCard&) = delete;

    void* context = nullptr;
    ias::CIASCard card;
    bool connected = false;
};

#endif
