#ifndef IAS_BOUNDARY_H
#define IAS_BOUNDARY_H

#include <ias/CIASException.h>

#include "Zaz/CardFrameworkException.h"
#include "Zaz/IsoException.h"
#include "Zaz/OsException.h"

namespace ias {

/// Runs the body of an exported method and turns internal failures into
/// CIASException class 2: IsoException keeps its status word, everything else
/// derived from CardFrameworkException gets sw 0. Any other exception
/// (std::bad_alloc, a CIASException from a nested call) passes unchanged.
template <class Body> auto Guarded(Body&& body) -> decltype(body()) {
    try {
        return body();
    } catch (const ZAZ::IsoException& e) {
        throw CIASException(CIASException::IAS_ERR_CARD_FRAMEWORK, e.errorCode(), e.message(),
                            e.sw());
    } catch (const ZAZ::OsException& e) {
        throw CIASException(CIASException::IAS_ERR_CARD_FRAMEWORK, e.errorCode(), e.message(), 0);
    } catch (const ZAZ::CardFrameworkException& e) {
        throw CIASException(CIASException::IAS_ERR_CARD_FRAMEWORK, e.errorCode(), e.message(), 0);
    }
}

} // namespace ias

#endif
