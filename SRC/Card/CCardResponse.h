#ifndef CARD_CCARDRESPONSE_H
#define CARD_CCARDRESPONSE_H

#include "Zaz/ByteVector.h"

#include <cstdint>

namespace IAS {

/// Response data and the status word (SW1 in the high byte).
class CCardResponse {
public:
    CCardResponse();
    explicit CCardResponse(std::uint16_t sw);
    CCardResponse(std::uint16_t sw, const ZAZ::ByteVectorBase& data);
    CCardResponse(const CCardResponse&) = default;
    CCardResponse(CCardResponse&&) = default;
    CCardResponse& operator=(const CCardResponse&) = default;
    CCardResponse& operator=(CCardResponse&&) = default;
    virtual ~CCardResponse();

    std::uint16_t sw;
    ZAZ::ByteVector data;
};

} // namespace IAS

#endif
