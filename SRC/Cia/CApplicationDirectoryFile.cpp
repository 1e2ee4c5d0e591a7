#include "Cia/CApplicationDirectoryFile.h"

#include "Asn1/CBerTlv.h"

namespace IAS {

void CApplicationDirectoryFile::parse(const ZAZ::ByteVectorBase& bytes) {
    std::vector<CApplicationTemplate> templates;
    for (const IASSCU::CDerOctet& element : splitElements(bytes)) {
        const ZAZ::ByteVector encoded = element.encoding();
        if (CBerTlv(encoded).tag() == 0x61) {
            templates.emplace_back(encoded);
        }
    }
    m_templates.swap(templates);
}

ZAZ::ByteVector CApplicationDirectoryFile::encode() const {
    ZAZ::ByteVector out;
    for (const CApplicationTemplate& t : m_templates) {
        out.append(t.encode());
    }
    return out;
}

} // namespace IAS
