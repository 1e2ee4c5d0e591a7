#ifndef ZAZ_ATRRECOGNITION_H
#define ZAZ_ATRRECOGNITION_H

#include <winscard.h>

#include <cstddef>
#include <string>
#include <vector>

// Card recognition by ATR against the blocks of "atr.cnf" (keys "Card",
// "Atr", "AtrMask"), first match in file order wins. pcsc-lite does not name
// cards, so the wrapper does it here.

namespace ZAZ {

/// Hex text as "atr.cnf" holds it: digit pairs from the start, at most 128
/// characters, letters in either case, characters not validated.
std::vector<unsigned char> AtrHexToBytes(const char* text);

/// Naming rule: true when the ATR, masked, equals the reference over the
/// mask's length. An empty mask matches every card. A card ATR or a reference
/// shorter than the mask does not match: nothing is read past any of the three.
bool AtrMatches(const unsigned char* atr, std::size_t atrLength,
                const std::vector<unsigned char>& reference,
                const std::vector<unsigned char>& mask);

/// Locating rule: true when the ATR, masked, equals the reference over the
/// card's ATR length, so a short ATR or a mask with trailing don't-care bytes
/// still locates. Mask or reference bytes past their end read as 00, which
/// makes an ATR longer than the mask compare only over the mask's bytes.
bool AtrLocates(const unsigned char* atr, std::size_t atrLength,
                const std::vector<unsigned char>& reference,
                const std::vector<unsigned char>& mask);

} // namespace ZAZ

/// Names the card with this ATR. `names` receives the first matching card
/// name followed by two NULs, or a single NUL when no block matches. Returns
/// SCARD_F_INTERNAL_ERROR when "atr.cnf" cannot be opened, else 0. The context
/// is not consulted.
LONG SYS_ListCardsByAtr(SCARDCONTEXT context, const unsigned char* atr, std::size_t atrLength,
                        std::vector<char>& names);

/// Reads the state of the reader named in `state` and adds
/// SCARD_STATE_ATRMATCH to its event state when "atr.cnf" recognises the card.
/// Returns the status call's failure, SCARD_F_INTERNAL_ERROR when "atr.cnf"
/// cannot be opened, else 0. An empty reader returns 0 without reading
/// "atr.cnf". The card-name list is not consulted.
LONG SYS_LocateCardsByAtr(SCARDCONTEXT context, const char* cardNames, SCARD_READERSTATE* state);

#endif
