#include "Cia/CCiaFile.h"

#include "Asn1/ByteReader.h"
#include "Asn1/TagClass.h"
#include "Card/CCiaFileRecord.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

#include <limits>

namespace IAS {

struct CCiaFile::Record {
    CCiaFileRecord file;
    CFileControlParameters fcp;
};

CCiaFile::CCiaFile() : m_rec(new Record) {}

void CCiaFile::open(CCiaCard& card, const CCiaPath& path) {
    CCiaPath adjusted(path);
    CFileControlParameters fcp;
    card.selectFile(adjusted.aid(), adjusted.normalized().efidOrPath(), &fcp);
    if (fcp.descriptor() != 0x01) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kFileTypeNotConsistent);
    }
    if (adjusted.index() == -1 || adjusted.length() == -1) {
        adjusted.setIndex(0);
        // Without a size in the FCP the extent is unknown (-1): the file is
        // read until the card says it ends.
        adjusted.setLength(fcp.sizeGiven() ? static_cast<std::int32_t>(fcp.size()) : -1);
    }
    Record fresh;
    fresh.file.card = &card;
    fresh.file.path = adjusted;
    fresh.fcp = fcp;
    *m_rec = std::move(fresh);
}

void CCiaFile::load() {
    const ZAZ::ByteVector bytes = CCiaCard::readFile(m_rec->file);
    load(bytes);
}

void CCiaFile::load(const ZAZ::ByteVectorBase& bytes) {
    parse(bytes);
    m_rec->file.content.assign(bytes);
}

const ZAZ::ByteVector& CCiaFile::content() const {
    return m_rec->file.content;
}

const CFileControlParameters& CCiaFile::fileControlParameters() const {
    return m_rec->fcp;
}

const CCiaPath& CCiaFile::path() const {
    return m_rec->file.path;
}

ZAZ::ByteVector CCiaFile::encode() const {
    return m_rec->file.content;
}

void CCiaFile::parse(const ZAZ::ByteVectorBase&) {}

std::vector<IASSCU::CDerOctet> CCiaFile::splitElements(const ZAZ::ByteVectorBase& bytes) {
    std::vector<IASSCU::CDerOctet> elements;
    ByteReader in(bytes);
    unsigned char b = 0;
    while (in.peekByte(b)) {
        if (b == 0x00 || b == 0xFF) {
            in.take(1);
            continue;
        }
        elements.emplace_back();
        elements.back().decodeFrom(in);
    }
    return elements;
}

int CCiaFile::choiceOf(const IASSCU::CDerOctet& element) {
    switch (element.tagClass()) {
    case IASSCU::Universal:
        return -1;
    case IASSCU::ContextSpecific:
        if (element.tagNumber() > static_cast<unsigned int>(std::numeric_limits<int>::max())) {
            ZAZ::fail(ZAZ::Msg::kDecodingError);
        }
        return static_cast<int>(element.tagNumber());
    default:
        ZAZ::fail(ZAZ::Msg::kDecodingError);
    }
}

} // namespace IAS
