#ifndef CARD_CCARDCOMMAND_H
#define CARD_CCARDCOMMAND_H

#include "Zaz/ByteVector.h"

#include <cstdint>

namespace IAS {

/// An ISO/IEC 7816-4 command without Le: the expected response length is an
/// argument of the exchange, not part of the command.
class CCardCommand {
public:
    CCardCommand(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2);
    CCardCommand(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                 const ZAZ::ByteVectorBase& data);
    CCardCommand(const CCardCommand&) = default;
    CCardCommand& operator=(const CCardCommand&) = default;
    virtual ~CCardCommand();

    std::uint8_t cla;
    std::uint8_t ins;
    std::uint8_t p1;
    std::uint8_t p2;
    ZAZ::ByteVector data;
};

} // namespace IAS

#endif
