#include "token/PathText.h"

#include "token/Bytes.h"

namespace token {

std::string PathText(const ias::CCiaPath& path) {
    const ias::CBlob fids = path.efidOrPath();
    std::string out = path.aid().size() ? "aid " + Hex(path.aid()) + ":" : "";
    const unsigned int n = fids.size();
    for (unsigned int i = 0; i + 1 < n; i += 2) {
        out += (i ? "/" : "") + Hex(fids.data() + i, 2);
    }
    if (n % 2) {
        out += "+" + Hex(fids.data() + n - 1, 1);
    }
    if (path.index() >= 0) {
        out += "[" + std::to_string(path.index()) + "+" +
               (path.length() >= 0 ? std::to_string(path.length()) : std::string("?")) + "]";
    }
    return out;
}

} // namespace token
