#ifndef ZAZ_CAST_H
#define ZAZ_CAST_H

#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

#include <limits>
#include <type_traits>

namespace ZAZ {

/// `value` as a To. Sizes cross between size_t, the 32-bit lengths of byte
/// vectors and PC/SC's DWORD; a value the target cannot hold is a caller's
/// mistake ("Illegal parameter in function call."), never a silent wrap.
template <class To, class From> To Cast(From value) {
    static_assert(std::is_integral<To>::value && std::is_integral<From>::value,
                  "Cast converts integers");
    using ToLimits = std::numeric_limits<To>;
    bool fits = false;
    if constexpr (std::is_signed<From>::value == std::is_signed<To>::value) {
        fits = value >= ToLimits::min() && value <= ToLimits::max();
    } else if constexpr (std::is_signed<From>::value) {
        fits = value >= 0 && static_cast<std::make_unsigned_t<From>>(value) <= ToLimits::max();
    } else {
        fits = value <= static_cast<std::make_unsigned_t<To>>(ToLimits::max());
    }
    if (!fits) {
        throw CardFrameworkException(Msg::kIllegalParameter);
    }
    return static_cast<To>(value);
}

} // namespace ZAZ

#endif
