#ifndef ASN1_CDEROCTET_H
#define ASN1_CDEROCTET_H

#include "Zaz/ByteVector.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace IAS {
class ByteReader;
}

namespace IASSCU {

/// One DER tag-length-value element. A constructed element keeps its content
/// bytes until the children are first asked for, then owns them as elements.
/// An element that was not changed since it was decoded encodes to exactly the
/// bytes it came from, whatever length forms they used.
class CDerOctet {
public:
    /// The library's own guard, not a DER rule: expanding the children of an
    /// element nested this deep raises "Error encountered while decoding
    /// format.", which bounds every recursive walk over a tree (encoding,
    /// comparison, destruction) against hostile card data.
    static constexpr int kMaxDepth = 64;

    /// Universal, primitive, tag number 0, empty, marked modified.
    CDerOctet();
    CDerOctet(unsigned int tagClass, bool constructed, unsigned int tagNumber);
    /// Decodes one element from the front of `bytes`; trailing bytes are ignored.
    explicit CDerOctet(const ZAZ::ByteVectorBase& bytes);
    /// A copy is what decoding the source's encoding gives: unmodified and not
    /// expanded. An unchanged source lends its bytes; a changed one is encoded.
    CDerOctet(const CDerOctet& other);
    CDerOctet& operator=(const CDerOctet& other);
    /// Takes the bytes and children as they are; the source is left empty.
    CDerOctet(CDerOctet&& other) noexcept;
    CDerOctet& operator=(CDerOctet&& other) noexcept;
    virtual ~CDerOctet();

    /// The shared absent-member marker.
    static const CDerOctet& defaultElement();

    unsigned int tagClass() const { return m_tagClass; }
    bool isConstructed() const { return m_constructed; }
    unsigned int tagNumber() const { return m_tagNumber; }
    void setTag(unsigned int tagClass, unsigned int tagNumber);

    /// The value field; for expanded children their concatenated encodings.
    ZAZ::ByteVector content() const;
    /// Primitive elements only.
    void setContent(const ZAZ::ByteVectorBase& bytes);

    ZAZ::ByteVector encoding() const;
    /// Appends the encoding to `out` without an intermediate copy.
    void appendEncoding(ZAZ::ByteVector& out) const;
    /// The number of bytes encoding() returns.
    std::size_t encodedSize() const;
    /// Whether encoding() has to rebuild the bytes instead of returning them as decoded.
    bool needsRebuild() const;

    /// Constructed elements only; expands the content on first use. The parent owns them.
    const std::vector<CDerOctet*>& children() const;
    void addChild(const CDerOctet& element);
    void insertSorted(const CDerOctet& element);
    void insertByTag(const CDerOctet& element);
    void clearChildren();

    bool operator==(const CDerOctet& other) const;
    bool operator!=(const CDerOctet& other) const { return !(*this == other); }
    bool operator<(const CDerOctet& other) const;

    /// Decodes one element at the reader's position and consumes it.
    void decodeFrom(IAS::ByteReader& in);

protected:
    /// The check a typed view applies to the element it was built from:
    /// the form, the universal tags it accepts, and the universal tag that
    /// replaces an implicit one (negative keeps the implicit tag).
    void checkView(bool constructed, std::initializer_list<unsigned int> universalTags,
                   int retagTo);
    /// Content bytes as stored, for primitive elements (no copy).
    const ZAZ::ByteVector& storedContent() const { return m_content; }

private:
    void expand() const;
    void requireConstructed() const;
    void insertAt(std::size_t index, const CDerOctet& element);
    void deleteChildren() noexcept;
    void swapWith(CDerOctet& other) noexcept;
    CDerOctet(const CDerOctet& other, bool rebuild);
    /// The value field as decoded, for an element that needs no rebuild.
    ZAZ::ByteVector decodedContent() const;
    std::size_t contentSize() const;
    void appendContent(ZAZ::ByteVector& out) const;

    std::uint32_t m_modified;
    ZAZ::ByteVector m_encoding;
    std::uint32_t m_tagClass;
    bool m_constructed;
    mutable bool m_expanded;
    std::uint32_t m_tagNumber;
    mutable ZAZ::ByteVector m_content;
    mutable std::vector<CDerOctet*> m_children;
    // Nesting level below the element the tree was decoded or built from.
    int m_depth;
};

} // namespace IASSCU

#endif
