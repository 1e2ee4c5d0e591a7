// Shared body of the CIA file targets: a file that decodes and re-encodes
// gives bytes that decode again to the same encoding, and keeps one object
// (EF.OD entry, EF.DIR template) for every element of a kind it decodes, in
// order and with the choice the element's tag gives: the encoder may rewrite
// an element, and drops only filler and kinds without a decoder.
#ifndef FUZZ_CIAFILEROUNDTRIP_H
#define FUZZ_CIAFILEROUNDTRIP_H

#include "Cia/CApplicationDirectoryFile.h"
#include "Cia/CCioFile.h"
#include "Cia/CObjectDirectoryFile.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>
#include <type_traits>
#include <vector>

namespace fuzzing {
// The choice of each element of `bytes` a file of this kind keeps, read from
// the input's own tags (-1 universal); nothing for EF.CIAInfo.
template <class File> std::vector<long> ChoicesKept(const ZAZ::ByteVector& bytes) {
    std::vector<long> kept;
    for (const IASSCU::CDerOctet& e : IAS::CCiaFile::splitElements(bytes)) {
        const long tag = e.tagClass() == IASSCU::Universal ? -1 : static_cast<long>(e.tagNumber());
        if constexpr (std::is_base_of<IAS::CCioFile, File>::value) {
            using T = typename std::remove_const<typename std::remove_reference<
                decltype(*std::declval<File>().objects().front())>::type>::type;
            if (IAS::registryOf<T>().count(static_cast<int>(tag)) != 0) {
                kept.push_back(tag);
            }
        } else if constexpr (std::is_same<File, IAS::CObjectDirectoryFile>::value) {
            const IASSCU::CDerOctet& inner = *e.children().front();
            if (inner.tagClass() == IASSCU::Universal && inner.tagNumber() == 16) {
                kept.push_back(tag); // a Path; objects given directly are skipped
            }
        } else if constexpr (std::is_same<File, IAS::CApplicationDirectoryFile>::value) {
            if (e.encoding()[0] == 0x61) { // an application template
                kept.push_back(tag);
            }
        }
    }
    return kept;
}

// The choice of each object, entry or template the file decoded.
template <class File> std::vector<long> ChoicesOf(const File& file) {
    std::vector<long> choices;
    if constexpr (std::is_base_of<IAS::CCioFile, File>::value) {
        for (const auto& object : file.objects()) {
            choices.push_back(object->choice());
        }
    } else if constexpr (std::is_same<File, IAS::CObjectDirectoryFile>::value) {
        for (const auto& entry : file.cioFiles()) {
            choices.push_back(entry.first);
        }
    } else if constexpr (std::is_same<File, IAS::CApplicationDirectoryFile>::value) {
        choices.assign(file.applicationTemplates().size(), 1);
    }
    return choices;
}
} // namespace fuzzing

template <class File> int CiaFileRoundTrip(const std::uint8_t* data, std::size_t size) {
    const ZAZ::ByteVector input = FuzzBytes(data, size);
    ZAZ::ByteVector encoded;
    try {
        File file;
        file.load(input);
        if (fuzzing::ChoicesOf(file) != fuzzing::ChoicesKept<File>(input)) {
            std::abort(); // an element it keeps went missing at load, or took another choice
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
