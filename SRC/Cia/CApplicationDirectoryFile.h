#ifndef CIA_CAPPLICATIONDIRECTORYFILE_H
#define CIA_CAPPLICATIONDIRECTORYFILE_H

#include "Cia/CApplicationTemplate.h"
#include "Cia/CCiaFile.h"

#include <vector>

namespace IAS {

/// EF.DIR (2F00): the application templates of the card, in file order.
class CApplicationDirectoryFile : public CCiaFile {
public:
    const std::vector<CApplicationTemplate>& applicationTemplates() const { return m_templates; }
    /// The template encodings concatenated, without filler.
    ZAZ::ByteVector encode() const override;

protected:
    /// Keeps the 61 elements; elements with any other tag are skipped.
    void parse(const ZAZ::ByteVectorBase& bytes) override;

private:
    std::vector<CApplicationTemplate> m_templates;
};

} // namespace IAS

#endif
