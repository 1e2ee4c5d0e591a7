#include "Card/CCardCommand.h"

namespace IAS {

CCardCommand::CCardCommand(std::uint8_t cla_, std::uint8_t ins_, std::uint8_t p1_, std::uint8_t p2_)
    : cla(cla_), ins(ins_), p1(p1_), p2(p2_), data(ZAZ::ByteVector::kDefaultCapacity) {}

CCardCommand::CCardCommand(std::uint8_t cla_, std::uint8_t ins_, std::uint8_t p1_, std::uint8_t p2_,
                           const ZAZ::ByteVectorBase& data_)
    : cla(cla_), ins(ins_), p1(p1_), p2(p2_), data(data_) {}

CCardCommand::~CCardCommand() = default;

} // namespace IAS
