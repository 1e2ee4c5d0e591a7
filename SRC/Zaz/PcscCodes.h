#ifndef ZAZ_PCSCCODES_H
#define ZAZ_PCSCCODES_H

#include <winscard.h>

// The PC/SC results and settings that code above the wrapper compares with or
// passes on, as unsigned values so that they compare with the codes the
// wrapper's exceptions carry.
namespace ZAZ {
namespace Pcsc {
constexpr unsigned long kNotTransacted = static_cast<unsigned long>(SCARD_E_NOT_TRANSACTED);
constexpr unsigned long kUnpoweredCard = static_cast<unsigned long>(SCARD_W_UNPOWERED_CARD);
constexpr unsigned long kResetCard = static_cast<unsigned long>(SCARD_W_RESET_CARD);

constexpr DWORD kShareShared = SCARD_SHARE_SHARED;
constexpr DWORD kProtocolT0 = SCARD_PROTOCOL_T0;
/// What a connection of this library accepts: T=0 or T=1.
constexpr DWORD kProtocolT0OrT1 = SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1;

/// Card states of SCardStatus (the low half; pcsc-lite puts an event count in the high one).
constexpr DWORD kStatePowered = SCARD_POWERED;
constexpr DWORD kStateSpecific = SCARD_SPECIFIC;
} // namespace Pcsc
} // namespace ZAZ

#endif
