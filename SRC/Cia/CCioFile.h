#ifndef CIA_CCIOFILE_H
#define CIA_CCIOFILE_H

#include "Asn1/CDerOctet.h"
#include "Asn1/TagClass.h"
#include "Cia/CCiaFile.h"
#include "Cia/CCioObjectFactory.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

#include <ias/Owned.h>

#include <vector>

namespace IAS {

/// A CIO directory file: a run of CIO elements, each a CHOICE between an
/// untagged SEQUENCE (choice -1) and alternatives tagged [n] (choice n).
class CCioFile : public CCiaFile {
protected:
    void parse(const ZAZ::ByteVectorBase& bytes) override = 0;
};

/// The directory file of objects of base type T, decoded through T's
/// factory registry. Unlike the other CIA files a failed parse does not keep
/// the previous state: the list is emptied first and the objects decoded
/// before the failing element stay.
template <class T> class CCryptoInfoObjectFile : public CCioFile {
public:
    /// The objects of the last load in file order; elements of kinds without
    /// a factory are not in it.
    const std::vector<ias::Owned<T>>& objects() const { return m_objects; }

    /// Each object as its SEQUENCE, retagged [n] for choice n; no filler.
    ZAZ::ByteVector encode() const override {
        ZAZ::ByteVector out;
        for (const ias::Owned<T>& object : m_objects) {
            const int choice = object->choice();
            IASSCU::CDerOctet element(object->encode());
            if (choice >= 0) {
                element.setTag(IASSCU::ContextSpecific, static_cast<unsigned int>(choice));
            }
            element.appendEncoding(out);
        }
        return out;
    }

protected:
    void parse(const ZAZ::ByteVectorBase& bytes) override {
        m_objects.clear();
        const std::vector<IASSCU::CDerOctet> elements = splitElements(bytes);
        // Growing would deep-copy every object decoded so far.
        m_objects.reserve(elements.size());
        for (const IASSCU::CDerOctet& element : elements) {
            ias::Owned<T> object = createObject<T>(choiceOf(element), element);
            if (object.get() != nullptr) {
                m_objects.emplace_back();
                m_objects.back().swap(object);
            }
        }
    }

private:
    std::vector<ias::Owned<T>> m_objects;
};

} // namespace IAS

#endif
