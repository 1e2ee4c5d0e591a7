#include "Cia/CObjectDirectoryFile.h"

#include "Asn1/CDerOctet.h"
#include "Asn1/CExplicitTag.h"
#include "Asn1/TagClass.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

namespace IAS {

namespace {
[[noreturn]] void malformed() {
    throw ZAZ::CardFrameworkException(ZAZ::Msg::kDecodingError);
}
} // namespace

void CObjectDirectoryFile::parse(const ZAZ::ByteVectorBase& bytes) {
    std::vector<Entry> entries;
    for (const IASSCU::CDerOctet& element : splitElements(bytes)) {
        if (!element.isConstructed() || element.tagClass() != IASSCU::ContextSpecific ||
            element.children().size() != 1) {
            malformed();
        }
        const IASSCU::CDerOctet& inner = *element.children().front();
        const bool isPath = inner.tagClass() == IASSCU::Universal && inner.isConstructed() &&
                            inner.tagNumber() == 16;
        if (isPath) {
            entries.emplace_back(choiceOf(element), CCiaPath(inner.encoding()));
        } else if (inner.tagClass() != IASSCU::ContextSpecific || inner.tagNumber() != 0) {
            malformed();
        }
    }
    m_entries.swap(entries);
}

ZAZ::ByteVector CObjectDirectoryFile::encode() const {
    ZAZ::ByteVector out;
    for (const Entry& e : m_entries) {
        const IASSCU::CDerOctet path(e.second.encode());
        IASSCU::CExplicitTag(IASSCU::ContextSpecific, static_cast<unsigned int>(e.first), path)
            .appendEncoding(out);
    }
    return out;
}

} // namespace IAS
