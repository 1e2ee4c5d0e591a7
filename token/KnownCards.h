// The cards the configuration knows by their ATR: "atr.cnf" below the
// configuration root ($QV_PATH, else /etc/Quovanta), as the library reads it.
#ifndef TOKEN_KNOWNCARDS_H
#define TOKEN_KNOWNCARDS_H

#include <cstddef>
#include <string>

namespace token {

class KnownCards {
public:
    /// The name of the first block whose masked ATR matches `atr`, or "" when
    /// none does (or there is no atr.cnf). An empty mask matches every card.
    static std::string name(const unsigned char* atr, std::size_t n);
};

} // namespace token

#endif
