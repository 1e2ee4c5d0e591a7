#include "Asn1/CEnum.h"

namespace IASSCU {

CEnum::CEnum() : CInteger(10u) {}

CEnum::CEnum(std::int32_t value) : CEnum() {
    setValue(value);
}

CEnum::CEnum(const CDerOctet& element) : CInteger(element, 10) {
    if (tagNumber() != 10) {
        setTag(0, 10);
    }
}

} // namespace IASSCU
