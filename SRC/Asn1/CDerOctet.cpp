#include "Asn1/CDerOctet.h"

#include "Asn1/CBerTlv.h"

#include "Asn1/ByteReader.h"
#include "Asn1/DerMessages.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Cast.h"
#include "Zaz/Messages.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace IASSCU {

namespace {
constexpr std::int32_t kSmallCapacity = 16;
constexpr std::size_t kMaxLength = 0x7FFFFFFF;

using ZAZ::fail;

std::int32_t capacityFor(std::size_t n) {
    return n > static_cast<std::size_t>(kSmallCapacity) ? ZAZ::Cast<std::int32_t>(n)
                                                        : kSmallCapacity;
}

std::size_t tagSize(unsigned int tagNumber) {
    std::size_t n = 1;
    if (tagNumber >= 31) {
        do {
            ++n;
            tagNumber >>= 7;
        } while (tagNumber != 0);
    }
    return n;
}

std::size_t lengthSize(std::size_t length) {
    if (length < 0x80) {
        return 1;
    }
    std::size_t n = 1;
    while (length != 0) {
        ++n;
        length >>= 8;
    }
    return n;
}

} // namespace

CDerOctet::CDerOctet()
    : m_modified(1), m_encoding(kSmallCapacity), m_tagClass(0), m_constructed(false),
      m_expanded(false), m_tagNumber(0), m_content(kSmallCapacity), m_depth(0) {}

CDerOctet::CDerOctet(unsigned int tagClass, bool constructed, unsigned int tagNumber)
    : CDerOctet() {
    m_tagClass = tagClass;
    m_constructed = constructed;
    m_tagNumber = tagNumber;
}

CDerOctet::CDerOctet(const ZAZ::ByteVectorBase& bytes) : CDerOctet() {
    IAS::ByteReader in(bytes);
    decodeFrom(in);
}

CDerOctet::CDerOctet(const CDerOctet& other) : CDerOctet(other, other.needsRebuild()) {}

// An unchanged source lends its bytes, which are what decoding them again
// gives; a changed one is encoded and decoded.
CDerOctet::CDerOctet(const CDerOctet& other, bool rebuild)
    : m_modified(0), m_encoding(rebuild ? ZAZ::ByteVector(kSmallCapacity) : other.m_encoding),
      m_tagClass(other.m_tagClass), m_constructed(other.m_constructed), m_expanded(false),
      m_tagNumber(other.m_tagNumber),
      m_content(rebuild ? ZAZ::ByteVector(kSmallCapacity) : other.decodedContent()), m_depth(0) {
    if (rebuild) {
        const ZAZ::ByteVector bytes = other.encoding();
        IAS::ByteReader in(bytes);
        decodeFrom(in);
    }
}

ZAZ::ByteVector CDerOctet::decodedContent() const {
    if (!m_expanded) {
        return m_content;
    }
    // The value field is the tail of the encoding the children came from.
    const std::size_t length = contentSize();
    const std::size_t offset = static_cast<std::size_t>(m_encoding.size()) - length;
    return ZAZ::ByteVector(m_encoding.data() + offset, ZAZ::Cast<std::int32_t>(length),
                           capacityFor(length));
}

CDerOctet& CDerOctet::operator=(const CDerOctet& other) {
    if (this != &other) {
        CDerOctet copy(other);
        swapWith(copy);
    }
    return *this;
}

CDerOctet::CDerOctet(CDerOctet&& other) noexcept
    : m_modified(other.m_modified), m_encoding(std::move(other.m_encoding)),
      m_tagClass(other.m_tagClass), m_constructed(other.m_constructed),
      m_expanded(other.m_expanded), m_tagNumber(other.m_tagNumber),
      m_content(std::move(other.m_content)), m_children(std::move(other.m_children)),
      m_depth(other.m_depth) {
    other.m_children.clear();
    other.m_expanded = false;
}

CDerOctet& CDerOctet::operator=(CDerOctet&& other) noexcept {
    if (this != &other) {
        swapWith(other);
    }
    return *this;
}

void CDerOctet::swapWith(CDerOctet& other) noexcept {
    std::swap(m_modified, other.m_modified);
    std::swap(m_encoding, other.m_encoding);
    std::swap(m_tagClass, other.m_tagClass);
    std::swap(m_constructed, other.m_constructed);
    std::swap(m_expanded, other.m_expanded);
    std::swap(m_tagNumber, other.m_tagNumber);
    std::swap(m_content, other.m_content);
    std::swap(m_children, other.m_children);
    // The children were placed at the other's level; ours sit where we are.
    for (CDerOctet* child : m_children) {
        child->m_depth = m_depth + 1;
    }
    for (CDerOctet* child : other.m_children) {
        child->m_depth = other.m_depth + 1;
    }
}

CDerOctet::~CDerOctet() {
    deleteChildren();
}

void CDerOctet::deleteChildren() noexcept {
    for (CDerOctet* child : m_children) {
        delete child;
    }
    m_children.clear();
}

const CDerOctet& CDerOctet::defaultElement() {
    // Held as decoded, so that the copies every member table makes of it are cheap.
    static const CDerOctet element(ZAZ::ByteVector("0000", kSmallCapacity));
    return element;
}

void CDerOctet::decodeFrom(IAS::ByteReader& in) {
    const unsigned char* start = in.take(1);
    if (start == nullptr) {
        fail(Msg::kEmpty);
    }
    const std::size_t startPosition = in.position() - 1;
    const unsigned char first = *start;
    std::uint32_t number = first & 0x1Fu;
    unsigned char b = 0;
    if (number == 0x1F) {
        number = 0;
        do {
            if (!in.takeByte(b)) {
                fail(Msg::kUnexpectedEnd);
            }
            if (number > 0x1FFFFFF) {
                fail(Msg::kTagOverflow);
            }
            number = (number << 7) | (b & 0x7Fu);
        } while ((b & 0x80) != 0);
    }
    if (!in.takeByte(b)) {
        fail(Msg::kUnexpectedEnd);
    }
    std::size_t length = b;
    if (b == 0x80) {
        fail(Msg::kIndefiniteLength);
    }
    if (b > 0x80) {
        const int count = b & 0x7F;
        length = 0;
        for (int i = 0; i < count; ++i) {
            if (!in.takeByte(b)) {
                fail(Msg::kUnexpectedEnd);
            }
            if (length > 0x7FFFFF) {
                fail(Msg::kDataOverflow);
            }
            length = (length << 8) | b;
        }
    }
    const unsigned char* value = in.take(length);
    if (value == nullptr) {
        fail(Msg::kInconsistentLength);
    }
    const auto total = ZAZ::Cast<std::int32_t>(in.position() - startPosition);
    const auto size = ZAZ::Cast<std::int32_t>(length);
    // Bytes go into the storage already held when they fit; what does not fit
    // is allocated before anything changes, so a failure leaves us as we were.
    const bool encodingFits = total <= m_encoding.allocated();
    const bool contentFits = size <= m_content.allocated();
    if (!encodingFits) {
        ZAZ::ByteVector encoding(start, total, capacityFor(static_cast<std::size_t>(total)));
        if (!contentFits) {
            m_content = ZAZ::ByteVector(value, size, capacityFor(length));
        }
        m_encoding = std::move(encoding);
    } else if (!contentFits) {
        m_content = ZAZ::ByteVector(value, size, capacityFor(length));
    }
    deleteChildren();
    if (encodingFits) {
        m_encoding.assign(start, total);
    }
    if (contentFits) {
        m_content.assign(value, size);
    }
    m_tagClass = first >> 6;
    m_constructed = (first & 0x20) != 0;
    m_tagNumber = number;
    m_modified = 0;
    m_expanded = false;
}

void CDerOctet::setTag(unsigned int tagClass, unsigned int tagNumber) {
    m_tagClass = tagClass;
    m_tagNumber = tagNumber;
    m_modified = 1;
}

void CDerOctet::requireConstructed() const {
    if (!m_constructed) {
        fail(Msg::kInconsistentOperation);
    }
}

void CDerOctet::expand() const {
    requireConstructed();
    if (m_expanded) {
        return;
    }
    if (m_depth >= kMaxDepth && !m_content.empty()) {
        fail(ZAZ::Msg::kDecodingError);
    }
    std::vector<std::unique_ptr<CDerOctet>> parsed;
    IAS::ByteReader in(m_content);
    while (!in.atEnd()) {
        std::unique_ptr<CDerOctet> child(new CDerOctet);
        child->decodeFrom(in);
        child->m_depth = m_depth + 1;
        parsed.push_back(std::move(child));
    }
    std::vector<CDerOctet*> children;
    children.reserve(parsed.size());
    for (auto& child : parsed) {
        children.push_back(child.get());
    }
    for (auto& child : parsed) {
        child.release();
    }
    m_children.swap(children);
    m_expanded = true;
    m_content.clear();
}

const std::vector<CDerOctet*>& CDerOctet::children() const {
    expand();
    return m_children;
}

ZAZ::ByteVector CDerOctet::content() const {
    if (!m_expanded) {
        return m_content;
    }
    ZAZ::ByteVector out(capacityFor(contentSize()));
    appendContent(out);
    return out;
}

void CDerOctet::setContent(const ZAZ::ByteVectorBase& bytes) {
    if (m_constructed) {
        fail(Msg::kInconsistentOperation);
    }
    m_content.assign(bytes);
    m_modified = 1;
}

bool CDerOctet::needsRebuild() const {
    if (m_modified != 0) {
        return true;
    }
    if (m_constructed && m_expanded) {
        for (const CDerOctet* child : m_children) {
            if (child->needsRebuild()) {
                return true;
            }
        }
    }
    return false;
}

std::size_t CDerOctet::contentSize() const {
    if (!m_expanded) {
        return static_cast<std::size_t>(m_content.size());
    }
    std::size_t total = 0;
    for (const CDerOctet* child : m_children) {
        total += child->encodedSize();
        if (total > kMaxLength) {
            fail(Msg::kDataOverflow);
        }
    }
    return total;
}

std::size_t CDerOctet::encodedSize() const {
    if (!needsRebuild()) {
        return static_cast<std::size_t>(m_encoding.size());
    }
    const std::size_t content = contentSize();
    const std::size_t total = tagSize(m_tagNumber) + lengthSize(content) + content;
    if (total > kMaxLength) {
        fail(Msg::kDataOverflow);
    }
    return total;
}

void CDerOctet::appendContent(ZAZ::ByteVector& out) const {
    if (!m_expanded) {
        out.append(m_content);
        return;
    }
    for (const CDerOctet* child : m_children) {
        child->appendEncoding(out);
    }
}

void CDerOctet::appendEncoding(ZAZ::ByteVector& out) const {
    if (!needsRebuild()) {
        out.append(m_encoding);
        return;
    }
    if (m_tagClass > 3) {
        fail(Msg::kIllegalTagClass);
    }
    unsigned char first = static_cast<unsigned char>(m_tagClass << 6);
    if (m_constructed) {
        first |= 0x20;
    }
    if (m_tagNumber < 31) {
        out.appendByte(static_cast<unsigned char>(first | m_tagNumber));
    } else {
        out.appendByte(static_cast<unsigned char>(first | 0x1F));
        int groups = 1;
        while (groups < 5 && (m_tagNumber >> (7 * groups)) != 0) {
            ++groups;
        }
        for (int i = groups - 1; i >= 0; --i) {
            const auto bits = static_cast<unsigned char>((m_tagNumber >> (7 * i)) & 0x7F);
            out.appendByte(static_cast<unsigned char>(i > 0 ? bits | 0x80 : bits));
        }
    }
    IAS::CBerTlv::appendLength(out, ZAZ::Cast<std::uint32_t>(contentSize()));
    appendContent(out);
}

ZAZ::ByteVector CDerOctet::encoding() const {
    if (!needsRebuild()) {
        return m_encoding;
    }
    ZAZ::ByteVector out(capacityFor(encodedSize()));
    appendEncoding(out);
    return out;
}

void CDerOctet::insertAt(std::size_t index, const CDerOctet& element) {
    std::unique_ptr<CDerOctet> copy(new CDerOctet(element));
    copy->m_depth = m_depth + 1;
    m_children.insert(m_children.begin() + static_cast<std::ptrdiff_t>(index), copy.get());
    copy.release();
    m_modified = 1;
}

void CDerOctet::addChild(const CDerOctet& element) {
    expand();
    insertAt(m_children.size(), element);
}

void CDerOctet::insertSorted(const CDerOctet& element) {
    expand();
    std::size_t i = 0;
    while (i < m_children.size() && !(element < *m_children[i])) {
        ++i;
    }
    insertAt(i, element);
}

void CDerOctet::insertByTag(const CDerOctet& element) {
    expand();
    const auto key = std::make_pair(element.tagClass(), element.tagNumber());
    std::size_t i = 0;
    while (i < m_children.size() &&
           !(key < std::make_pair(m_children[i]->tagClass(), m_children[i]->tagNumber()))) {
        ++i;
    }
    insertAt(i, element);
}

void CDerOctet::clearChildren() {
    requireConstructed();
    deleteChildren();
    m_content.clear();
    m_expanded = false;
    m_modified = 1;
}

bool CDerOctet::operator==(const CDerOctet& other) const {
    if (!needsRebuild() && !other.needsRebuild()) {
        return m_encoding == other.m_encoding; // no copies for elements as decoded
    }
    return encoding() == other.encoding();
}

bool CDerOctet::operator<(const CDerOctet& other) const {
    const ZAZ::ByteVector a = encoding();
    const ZAZ::ByteVector b = other.encoding();
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
}

void CDerOctet::checkView(bool constructed, std::initializer_list<unsigned int> universalTags,
                          int retagTo) {
    if (m_constructed != constructed) {
        fail(ZAZ::Msg::kDecodingError);
    }
    if (m_tagClass == 0) {
        if (std::find(universalTags.begin(), universalTags.end(), m_tagNumber) ==
            universalTags.end()) {
            fail(ZAZ::Msg::kDecodingError);
        }
    } else if (retagTo >= 0) {
        setTag(0, static_cast<unsigned int>(retagTo));
    }
}

} // namespace IASSCU
