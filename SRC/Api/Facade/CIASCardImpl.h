#ifndef API_FACADE_CIASCARDIMPL_H
#define API_FACADE_CIASCARDIMPL_H

#include <ias/CIASCard.h>

#include "Card/CCiaCard.h"
#include "Card/CZazTerminal.h"
#include "Zaz/PCSCWrapper.h"

#include <memory>

namespace ias {

/// The handle's record. The wrapper is declared first so that it is destroyed
/// last, after the terminal and card object that use it.
class CIASCard::Impl {
public:
    Impl() = default;

    std::unique_ptr<ZAZ::PCSCWrapper> wrapper;
    IAS::CZazTerminal terminal;
    IAS::CCiaCard card;
    long pcscHandle = 0;
};

/// The way internal code (connecting, CIA file readers) reaches a handle's record.
class CIASCardAccess {
public:
    static CIASCard::Impl& impl(CIASCard& card) { return *card.m_impl; }
};

/// Binds the handle to a connected wrapper, which it takes over: records the
/// PC/SC handle, rebinds the terminal and gives it a fresh card object with
/// the handle's maximum response length. A failure before the handle takes
/// the wrapper leaves the handle as it was and destroys the wrapper.
void bindConnection(CIASCard::Impl& impl, std::unique_ptr<ZAZ::PCSCWrapper> wrapper);

} // namespace ias

#endif
