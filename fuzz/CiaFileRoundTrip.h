// Shared body of the CIA file targets: a file that decodes and re-encodes
// gives bytes that decode again to the same encoding, and, for a directory
// file, keeps one object for every element of a kind it decodes: the encoder
// may rewrite an element, and drops only filler and kinds without a decoder.
#ifndef FUZZ_CIAFILEROUNDTRIP_H
#define FUZZ_CIAFILEROUNDTRIP_H

#include "Cia/CCioFile.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>
#include <type_traits>

namespace fuzzing {
// The elements of `bytes` a directory file of T must keep; -1 for other files.
template <class File> long ElementsKept(const ZAZ::ByteVector& bytes) {
    if constexpr (std::is_base_of<IAS::CCioFile, File>::value) {
        using T = typename std::remove_const<typename std::remove_reference<
            decltype(*std::declval<File>().objects().front())>::type>::type;
        long kept = 0;
        for (const IASSCU::CDerOctet& element : IAS::CCiaFile::splitElements(bytes)) {
            kept += IAS::registryOf<T>().count(IAS::CCioFile::choiceOf(element)) != 0 ? 1 : 0;
        }
        return kept;
    } else {
        (void)bytes;
        return -1;
    }
}

template <class File> long ObjectsOf(const File& file) {
    if constexpr (std::is_base_of<IAS::CCioFile, File>::value) {
        return static_cast<long>(file.objects().size());
    } else {
        (void)file;
        return -1;
    }
}
} // namespace fuzzing

template <class File> int CiaFileRoundTrip(const std::uint8_t* data, std::size_t size) {
    const ZAZ::ByteVector input = FuzzBytes(data, size);
    ZAZ::ByteVector encoded;
    try {
        File file;
        file.load(input);
        if (fuzzing::ObjectsOf(file) != fuzzing::ElementsKept<File>(input)) {
            std::abort(); // an element of a decoded kind went missing at load
        }
        encoded = file.encode();
    } catch (const ZAZ::CardFrameworkException&) {
        return 0; // refused input, or an object whose attributes cannot be written back
    }
    try {
        File again;
        again.load(encoded);
        if (again.encode() == encoded) {
            return 0;
        }
    } catch (const ZAZ::CardFrameworkException&) {
    }
    std::abort(); // the library refused, or changed, bytes it wrote itself
}

#endif
