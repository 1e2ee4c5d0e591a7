#include "Cia/CCioFrame.h"

namespace IAS {

CCioFrame::CCioFrame(const IASSCU::CDerOctet& element) : m_frame(element) {}

CCioFrame::CCioFrame(const ZAZ::ByteVectorBase& der) : CCioFrame(IASSCU::CDerOctet(der)) {}

const IASSCU::CDerOctet& CCioFrame::commonObjectAttributes() const {
    return m_frame.member("commonObjectAttributes");
}

const IASSCU::CDerOctet* CCioFrame::classAttributes() const {
    return optional("classAttributes");
}

const IASSCU::CDerOctet* CCioFrame::subClassAttributes() const {
    return optional("subClassAttributes");
}

const IASSCU::CDerOctet& CCioFrame::typeAttributes() const {
    return m_frame.member("typeAttributes");
}

const IASSCU::CDerOctet* CCioFrame::optional(const char* name) const {
    return m_frame.isPresent(name) ? &m_frame.member(name) : nullptr;
}

} // namespace IAS
