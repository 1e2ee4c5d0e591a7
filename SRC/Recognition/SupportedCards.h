#ifndef RECOGNITION_SUPPORTEDCARDS_H
#define RECOGNITION_SUPPORTEDCARDS_H

#include "Zaz/ByteVector.h"

#include <string>

namespace IAS {

/// The configuration directory whose entries name the supported cards.
std::string SupportedCardsConfigName();

/// The supported card names as a multi-string (each name and a NUL, one more
/// NUL at the end), in the directory's walking order. Built once per process;
/// an empty result (no configuration, or no entries) is looked for again on
/// the next call, so a configuration installed later is still found.
std::string SupportedSmartCards();

/// Identifiers every card probe uses, created at load time.
const ZAZ::ByteVector& EfDirId();        // 2F00
const ZAZ::ByteVector& EfAtrId();        // 2F01
const ZAZ::ByteVector& IasAidPrefix();   // E8 28 BD 08 0F
extern const char* const kIasEccOidText; // "1 3 162 15480 2"

} // namespace IAS

#endif
