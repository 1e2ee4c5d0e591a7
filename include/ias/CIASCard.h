#ifndef IAS_CIASCARD_H
#define IAS_CIASCARD_H

#include <ias/CBlob.h>
#include <ias/Export.h>
#include <ias/Owned.h>

namespace ias {

class CIASCardAccess;

/// An application's handle on one connected card, filled by IASConnectA or
/// built on a PC/SC card handle the application already holds. Every method
/// throws ias::CIASException on failure; a card status word other than 9000
/// arrives as class 2 with sw set and description "IsoException". The handle
/// stays usable after any failure. One thread at a time.
class IAS_API CIASCard {
public:
    /// Not connected; connect it with IASConnectA.
    CIASCard();
    /// Takes over a card handle from SCardConnect (the library then owns it:
    /// destroying this object disconnects it). Sends nothing to the card.
    explicit CIASCard(long hCard);
    /// Disconnects (leaving the card powered) when connected.
    virtual ~CIASCard();

    /// The PC/SC card handle (SCARDHANDLE), 0 when not connected.
    long getPCSCHandle();

    /// VERIFY (ISO/IEC 7816-4 INS 20, P1 00, P2 = reference); pin sent unchanged.
    void verify(unsigned char reference, const CBlob& pin);
    /// CHANGE REFERENCE DATA (INS 24, P1 01, P2 = reference); data sent unchanged.
    void changePIN(unsigned char reference, const CBlob& data);
    /// RESET RETRY COUNTER (INS 2C, P1 02, P2 = reference); data sent unchanged.
    void unblockPIN(unsigned char reference, const CBlob& data);

    /// One raw exchange as a short APDU built from exactly these values. The
    /// status word is returned, not interpreted: no GET RESPONSE, no chaining.
    /// data of 256 bytes or more, or le above 256, is refused before sending.
    void sendAPDU(unsigned char cla, unsigned char ins, unsigned char p1, unsigned char p2,
                  const CBlob& data, unsigned long le, CBlob& response, unsigned short& sw);

    /// The ATR read at the terminal's last status refresh (connect or reconnect).
    CBlob atr();
    /// Warm reset of the card; the file-selection cache is cleared.
    void reset();
    /// SCardBeginTransaction / SCardEndTransaction, retried once after a status
    /// refresh; they nest. endTransaction without an open transaction succeeds.
    /// The file-selection cache is trusted inside a transaction only: the
    /// outermost begin forgets what was selected before it.
    void beginTransaction();
    void endTransaction();

    class Impl;

    /// A handle owns its connection: it is neither copied nor assigned.
    CIASCard(const CIASCard&) = delete;
    CIASCard& operator=(const CIASCard&) = delete;

private:
    void attach(long hCard);

    friend class CIASCardAccess;
    Owned<Impl> m_impl;
};

} // namespace ias

#endif
