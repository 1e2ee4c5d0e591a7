#ifndef CIA_CAPPLICATIONTEMPLATE_H
#define CIA_CAPPLICATIONTEMPLATE_H

#include "Zaz/ByteVector.h"

#include <ias/Owned.h>

namespace IAS {

/// One application template (tag 61) of EF.DIR.
class CApplicationTemplate {
public:
    CApplicationTemplate();
    /// Decodes one 61 template; another outer tag, or a child tag present
    /// twice, is "Error encountered while decoding format.".
    explicit CApplicationTemplate(const ZAZ::ByteVector& bytes);
    virtual ~CApplicationTemplate() = default;

    /// Value fields of 4F, 50, 51 and 53; empty when absent.
    const ZAZ::ByteVector& aid() const;
    const ZAZ::ByteVector& label() const;
    const ZAZ::ByteVector& path() const;
    const ZAZ::ByteVector& discretionaryDONonBerTlv() const;
    /// The whole 73 element (tag, length, value); empty when absent.
    const ZAZ::ByteVector& discretionaryDOBerTlv() const;

    /// 61 with 4F, 50, 51, 53, 73 in that order, each only when not empty.
    ZAZ::ByteVector encode() const;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
