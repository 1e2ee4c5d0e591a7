#ifndef ASN1_TAGCLASS_H
#define ASN1_TAGCLASS_H

namespace IASSCU {

/// The two class bits of a DER tag. Member tables also use AnyClass.
enum TagClass { AnyClass = -1, Universal = 0, Application = 1, ContextSpecific = 2, Private = 3 };

} // namespace IASSCU

#endif
