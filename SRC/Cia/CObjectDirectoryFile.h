#ifndef CIA_COBJECTDIRECTORYFILE_H
#define CIA_COBJECTDIRECTORYFILE_H

#include "Cia/CCiaFile.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace IAS {

/// EF.OD: for each kind of CIO (the context tag number of the entry), the
/// path of the directory file holding such objects.
class CObjectDirectoryFile : public CCiaFile {
public:
    using Entry = std::pair<std::int32_t, CCiaPath>;

    const std::vector<Entry>& cioFiles() const { return m_entries; }
    /// Each path wrapped in [choice], concatenated without filler.
    ZAZ::ByteVector encode() const override;

protected:
    /// Entries holding objects directly ([0]) are skipped; any other entry that
    /// is not a context-specific wrapper of one Path is "Error encountered
    /// while decoding format.".
    void parse(const ZAZ::ByteVectorBase& bytes) override;

private:
    std::vector<Entry> m_entries;
};

} // namespace IAS

#endif
