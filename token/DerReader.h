// A bounded reader over DER/BER bytes: every access is checked against the end
// of the span it was given, so card data of any shape can be walked without
// reading outside it. Definite lengths only; nothing is copied.
#ifndef TOKEN_DERREADER_H
#define TOKEN_DERREADER_H

#include <cstddef>
#include <cstdint>

namespace token {

class DerReader {
public:
    enum TagClass { Universal = 0, Application = 1, ContextSpecific = 2, Private = 3 };

    /// One element: where it starts, its tag and where its contents lie.
    struct Element {
        std::size_t offset = 0; ///< of the first tag byte, from the reader's base
        unsigned char firstByte = 0;
        TagClass tagClass = Universal;
        bool constructed = false;
        std::uint32_t number = 0; ///< tag number (the low five bits, or the long form)
        const unsigned char* contents = nullptr;
        std::size_t length = 0; ///< of the contents
        std::size_t size = 0;   ///< header and contents

        /// A reader over the contents, offsets still counted from the same base.
        DerReader children() const;
        const unsigned char* begin() const { return contents - (size - length); }
    };

    DerReader() = default;
    /// Reads [data, data + size); offsets are reported as `base` + position.
    DerReader(const unsigned char* data, std::size_t size, std::size_t base = 0);

    bool atEnd() const { return m_pos >= m_size; }
    /// Offset of the next byte, from the base.
    std::size_t offset() const { return m_base + m_pos; }
    /// Skips 00 and FF bytes, which cards use to fill the rest of a file.
    void skipFiller();
    /// Reads the next element. False, with the position unchanged, when its
    /// tag or length is malformed or runs past the end.
    bool next(Element& out);
    /// The first element among the remaining ones whose first tag byte is `tag`.
    bool find(unsigned char tag, Element& out);

private:
    const unsigned char* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_pos = 0;
    std::size_t m_base = 0;
};

} // namespace token

#endif
