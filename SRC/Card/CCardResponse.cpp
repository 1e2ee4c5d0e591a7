#include "Card/CCardResponse.h"

namespace IAS {

CCardResponse::CCardResponse() : sw(0) {}

CCardResponse::CCardResponse(std::uint16_t sw_) : sw(sw_) {}

CCardResponse::CCardResponse(std::uint16_t sw_, const ZAZ::ByteVectorBase& data_)
    : sw(sw_), data(data_) {}

CCardResponse::~CCardResponse() = default;

} // namespace IAS
