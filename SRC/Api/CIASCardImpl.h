#ifndef IAS_CIASCARDIMPL_H
#define IAS_CIASCARDIMPL_H

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

} // namespace ias

#endif
