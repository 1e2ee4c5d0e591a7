#include "Asn1/CTime.h"

#include "Asn1/DerMessages.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Cast.h"
#include "Zaz/Messages.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace IASSCU {

namespace {
using ZAZ::fail;

bool allDigits(const std::string& s, std::size_t from, std::size_t count) {
    for (std::size_t i = from; i < from + count; ++i) {
        if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) {
            return false;
        }
    }
    return true;
}
} // namespace

CTime::CTime() : CDerOctet(0, false, 0) {}

CTime::CTime(unsigned int universalTag, bool) : CDerOctet(0, false, universalTag) {}

CTime::CTime(const std::string& text) : CTime() {
    fromString(text);
}

CTime::CTime(const CDerOctet& element) : CDerOctet(element) {
    checkView(false, {23, 24}, -1);
}

std::string CTime::toString() const {
    const ZAZ::ByteVector& c = storedContent();
    const std::string text(reinterpret_cast<const char*>(c.data()),
                           static_cast<std::size_t>(c.size()));
    if (tagClass() == 0 && tagNumber() == 23) {
        if (text.size() < 12) {
            fail(Msg::kInconsistentLength);
        }
        if (!allDigits(text, 0, 2)) {
            fail(ZAZ::Msg::kDecodingError);
        }
        const int year = (text[0] - '0') * 10 + (text[1] - '0');
        return (year < 50 ? "20" : "19") + text.substr(0, 12);
    }
    // Only the universal tags say which form the text has: an implicitly
    // tagged time is refused here and read through CGeneralizedTime instead.
    if (tagClass() != 0 || tagNumber() != 24) {
        fail(Msg::kInconsistentOperation);
    }
    if (text.size() < 14) {
        fail(Msg::kInconsistentLength);
    }
    return text.substr(0, 14);
}

void CTime::fromString(const std::string& text) {
    if (text.size() != 14 || !allDigits(text, 0, 4)) {
        fail(ZAZ::Msg::kIllegalParameter);
    }
    const int year = std::stoi(text.substr(0, 4));
    const bool universal = tagClass() == 0;
    bool utc = universal && tagNumber() == 23;
    if (!universal || (tagNumber() != 23 && tagNumber() != 24)) {
        // A new or implicitly tagged time: the year picks the form; an
        // implicit tag is kept, a new element takes the universal tag.
        if (year < 1950) {
            fail(ZAZ::Msg::kIllegalParameter);
        }
        utc = year <= 2049;
        if (universal) {
            setTag(0, utc ? 23 : 24);
        }
    }
    const std::string stored = (utc ? text.substr(2) : text) + "Z";
    setContent(ZAZ::ByteVectorBase(reinterpret_cast<const unsigned char*>(stored.data()),
                                   ZAZ::Cast<std::int32_t>(stored.size())));
}

std::string CTime::currentTime(bool withMilliseconds) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char buf[96];
    if (withMilliseconds) {
        std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d.%03dZ", utc.tm_year + 1900,
                      utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                      static_cast<int>(millis));
    } else {
        std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02dZ", utc.tm_year + 1900,
                      utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    }
    return buf;
}

} // namespace IASSCU
