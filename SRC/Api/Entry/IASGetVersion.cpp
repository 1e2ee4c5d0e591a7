#include <ias/IASEntry.h>

#include "Card/CIasTerminal.h"
#include "Recognition/CIasCard.h"

#include <memory>

namespace ias {

// Deliberately not Guarded: failures reach the caller as they were raised.
// Everything the probe holds is owned by scope, so unwinding releases it.
unsigned long IASGetVersion(char* readerName, IasVersion& version) {
    if (readerName == nullptr) {
        return IAS_E_FAILED;
    }
    const std::shared_ptr<IAS::CTerminal> terminal =
        std::make_shared<IAS::CIasTerminal>(readerName);
    const IAS::CIasCard card(terminal);
    version = card.cardType() == 1 ? IAS_VERSION_IASECC : IAS_VERSION_IAS;
    return IAS_S_OK;
}

} // namespace ias
