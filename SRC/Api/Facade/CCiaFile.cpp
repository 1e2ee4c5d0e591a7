#include <ias/CCiaFile.h>

#include "Api/Facade/CIASCardImpl.h"
#include "Api/Facade/Facade.h"
#include "Cia/CCiaFile.h"

namespace ias {

struct CCiaFile::Record {
    Owned<IAS::CCiaFile> file;
    CFileControlParameters fcp;
};

CCiaFile::CCiaFile() : CCiaFile(MakeOwned<IAS::CCiaFile, IAS::CCiaFile>()) {}

CCiaFile::CCiaFile(const Owned<IAS::CCiaFile>& file)
    : m_rec(Guarded([&] {
          return new Record{file, CFileControlParameters()};
      })) {}

CCiaFile::CCiaFile(CIASCard& card, const CCiaPath& path) : CCiaFile() {
    open(card, path);
}

CCiaFile::~CCiaFile() = default;

IAS::CCiaFile& CCiaFile::internalFile() const {
    return *m_rec->file;
}

void CCiaFile::open(CIASCard& card, const CCiaPath& path) {
    Guarded([&] {
        internalFile().open(CIASCardAccess::impl(card).card, static_cast<IAS::CCiaPath>(path));
    });
}

void CCiaFile::load(const CBlob& bytes) {
    Guarded([&] { internalFile().load(static_cast<ZAZ::ByteVector>(bytes)); });
}

void CCiaFile::load() {
    Guarded([&] { internalFile().load(); });
}

const CFileControlParameters& CCiaFile::fileControlParameters() const {
    return Guarded([&]() -> const CFileControlParameters& {
        m_rec->fcp = CFileControlParameters(internalFile().fileControlParameters());
        return m_rec->fcp;
    });
}

CCiaFile::operator CBlob() const {
    return Read<CBlob>(internalFile(), &IAS::CCiaFile::encode);
}

CCiaPath CCiaFile::path() const {
    return Read<CCiaPath>(internalFile(), &IAS::CCiaFile::path);
}

unsigned int CCiaFile::size() const {
    return fileControlParameters().size();
}

} // namespace ias
