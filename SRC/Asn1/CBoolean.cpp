#include "Asn1/CBoolean.h"

#include "Asn1/DerMessages.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

namespace IASSCU {

CBoolean::CBoolean() : CDerOctet(0, false, 1) {}

CBoolean::CBoolean(bool value) : CBoolean() {
    setValue(value);
}

CBoolean::CBoolean(const CDerOctet& element) : CDerOctet(element) {
    checkView(false, {1}, -1);
    if (storedContent().size() != 1) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kDecodingError);
    }
}

bool CBoolean::value() const {
    if (storedContent().empty()) {
        throw ZAZ::CardFrameworkException(Msg::kEmpty);
    }
    return storedContent()[0] != 0;
}

void CBoolean::setValue(bool value) {
    const unsigned char byte = value ? 0xFF : 0x00;
    setContent(ZAZ::ByteVectorBase(&byte, 1));
}

} // namespace IASSCU
