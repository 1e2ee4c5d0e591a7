#include "Asn1/CObjectIdentifier.h"

#include "Asn1/ByteReader.h"
#include "Asn1/DerMessages.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdint>
#include <cstdio>
#include <sstream>

namespace IASSCU {

namespace {
using ZAZ::fail;

bool readNumber(const std::string& token, long& value) {
    return std::sscanf(token.c_str(), "%ld", &value) == 1;
}

void appendBase128(ZAZ::ByteVector& out, unsigned long value) {
    unsigned char groups[10];
    int n = 0;
    do {
        groups[n++] = static_cast<unsigned char>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (n > 0) {
        --n;
        out.appendByte(static_cast<unsigned char>(n > 0 ? groups[n] | 0x80 : groups[n]));
    }
}
} // namespace

CObjectIdentifier::CObjectIdentifier() : CDerOctet(0, false, 6) {}

CObjectIdentifier::CObjectIdentifier(const std::string& text) : CObjectIdentifier() {
    fromString(text);
}

CObjectIdentifier::CObjectIdentifier(const CDerOctet& element) : CDerOctet(element) {
    checkView(false, {6}, 6);
}

std::string CObjectIdentifier::toString() const {
    const ZAZ::ByteVector& c = storedContent();
    if (c.empty()) {
        fail(Msg::kEmpty);
    }
    IAS::ByteReader in(c);
    std::string text;
    char buf[48];
    bool first = true;
    while (!in.atEnd()) {
        std::uint32_t value = 0;
        unsigned char b = 0;
        do {
            if (!in.takeByte(b)) {
                fail(Msg::kUnexpectedEnd);
            }
            if (value > 0x1FFFFFF) {
                fail(Msg::kOidOverflow);
            }
            value = (value << 7) | (b & 0x7Fu);
        } while ((b & 0x80) != 0);
        if (first) {
            const long x = static_cast<long>(value);
            const long arc1 = x < 40 ? 0 : (x < 80 ? 1 : 2);
            std::snprintf(buf, sizeof buf, "%ld %ld", arc1, x - 40 * arc1);
            first = false;
        } else {
            std::snprintf(buf, sizeof buf, " %ld", static_cast<long>(value));
        }
        text += buf;
    }
    return text;
}

void CObjectIdentifier::fromString(const std::string& text) {
    std::istringstream tokens(text);
    std::string token;
    long arc1 = 0;
    long arc2 = 0;
    if (!(tokens >> token) || !readNumber(token, arc1) || !(tokens >> token) ||
        !readNumber(token, arc2) || arc1 < 0 || arc1 > 2 || arc2 < 0) {
        fail(Msg::kIllegalOid);
    }
    const unsigned long firstId =
        40ul * static_cast<unsigned long>(arc1) + static_cast<unsigned long>(arc2);
    if (firstId > 0xFFFFFFFFul) {
        fail(Msg::kDataOverflow);
    }
    ZAZ::ByteVector content(32);
    appendBase128(content, firstId);
    long arc = 0;
    while (tokens >> token && readNumber(token, arc) && arc >= 0) {
        appendBase128(content, static_cast<unsigned long>(arc));
    }
    setContent(content);
}

} // namespace IASSCU
