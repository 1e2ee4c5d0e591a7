// Readable summaries of decoded CIO attributes, so that one table row states
// a whole (possibly nested) result.
#ifndef TESTS_CIA_CIOTESTSUPPORT_H
#define TESTS_CIA_CIOTESTSUPPORT_H

#include "Cia/CCioSecurityCondition.h"
#include "TestSupport.h"

#include <cstdio>
#include <string>
#include <vector>

namespace ciotest {

const char* const kMissing = "Mandatory data member is missing.";

inline std::string hex32(unsigned int v) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", v);
    return text;
}

/// "always", "id:01", "ref:1/-1", "not(..)", "and(..,..)", "or(..,..)".
inline std::string describe(const IAS::CCioSecurityCondition& c) {
    using C = IAS::CCioSecurityCondition;
    const auto list = [](const char* name, const std::vector<C>& subs) {
        std::string s = std::string(name) + "(";
        for (const C& sub : subs) {
            s += (s.back() == '(' ? "" : ",") + describe(sub);
        }
        return s + ")";
    };
    switch (c.type()) {
    case C::Always:
        return "always";
    case C::AuthId:
        return "id:" + testsupport::hexOf(c.authId());
    case C::AuthReference:
        return "ref:" + hex32(c.authReference().authMethod()) + "/" +
               std::to_string(c.authReference().seIdentifier());
    case C::Not:
        return "not(" + describe(c.notSc()) + ")";
    case C::And:
        return list("and", c.andSc());
    case C::Or:
        return list("or", c.orSc());
    default:
        return "none";
    }
}

} // namespace ciotest

#endif
