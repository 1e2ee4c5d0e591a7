#ifndef IAS_CIASEXCEPTION_H
#define IAS_CIASEXCEPTION_H

#include <ias/Export.h>

namespace ias {

/// The one exception type thrown by the methods of exported classes.
/// Entry functions (IASInitialize, IASConnectA, ...) return status codes instead.
class IAS_API CIASException {
public:
    /// Where an error came from.
    enum ErrorClass {
        /// Raised by the ias:: layer itself (bad argument, unsupported object).
        IAS_ERR_LIBRARY = 0,
        /// Not raised by this library.
        IAS_ERR_RESERVED = 1,
        /// Converted from an internal card-framework failure; sw set for card answers.
        IAS_ERR_CARD_FRAMEWORK = 2
    };

    /// Copies `description`; a null description is stored as "Invalid error message".
    CIASException(ErrorClass errorClass, unsigned long error, const char* description,
                  unsigned int sw);
    CIASException(const CIASException& other);
    CIASException& operator=(const CIASException& other);
    virtual ~CIASException();

    ErrorClass errorClass() const;
    unsigned long error() const;
    /// ISO/IEC 7816-4 status word SW1SW2 when the error is a card answer, else 0.
    unsigned int sw() const;
    /// The description text, owned by this exception.
    const char* descriptionA() const;

    /// Throws a copy of this exception.
    void raise() const;
    /// A heap copy that the caller owns (delete it).
    CIASException* clone() const;

private:
    ErrorClass m_errorClass;
    unsigned long m_error;
    unsigned int m_sw;
    char* m_description;
};

} // namespace ias

#endif
