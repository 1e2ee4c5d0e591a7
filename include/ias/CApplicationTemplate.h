#ifndef IAS_CAPPLICATIONTEMPLATE_H
#define IAS_CAPPLICATIONTEMPLATE_H

#include <ias/CBlob.h>
#include <ias/Export.h>
#include <ias/Owned.h>

namespace IAS {
class CApplicationTemplate;
}

namespace ias {

/// One application template (tag 61) of EF.DIR. Throws ias::CIASException.
class IAS_API CApplicationTemplate {
public:
    /// All fields empty.
    CApplicationTemplate();
    /// Decodes one 61 template; another outer tag or a duplicated child tag is
    /// "Error encountered while decoding format.".
    explicit CApplicationTemplate(const CBlob& bytes);
    /// A copy of a template held by the library.
    explicit CApplicationTemplate(const IAS::CApplicationTemplate& other);
    virtual ~CApplicationTemplate();

    /// The application identifier (tag 4F); empty when absent.
    CBlob aid() const;
    /// The application label (tag 50); empty when absent.
    CBlob label() const;
    /// The path of the application's DF (tag 51); empty when absent.
    CBlob path() const;
    /// The whole discretionary BER-TLV element (73, with tag and length).
    CBlob discretionaryDOBerTlv() const;
    /// The discretionary data (tag 53) value; empty when absent.
    CBlob discretionaryDONonBerTlv() const;

private:
    Owned<IAS::CApplicationTemplate> m_impl;
};

} // namespace ias

#endif
