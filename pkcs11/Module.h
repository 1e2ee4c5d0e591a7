// The module's state: readers as slots, the card in each read once per
// insertion, sessions and logins. One instance between C_Initialize and
// C_Finalize; every call holds the module's one lock (Entry.cpp).
#ifndef PKCS11_MODULE_H
#define PKCS11_MODULE_H

#include "CardObjects.h"
#include "KeyOperation.h"

#include "token/Connection.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace p11 {

class Module {
public:
    Module();

    CK_RV slotList(bool tokenPresent, CK_SLOT_ID_PTR list, CK_ULONG_PTR count);
    CK_RV slotInfo(CK_SLOT_ID id, CK_SLOT_INFO_PTR info);
    CK_RV tokenInfo(CK_SLOT_ID id, CK_TOKEN_INFO_PTR info);
    /// CKF_DONT_BLOCK: the first slot whose reader changed since the last
    /// look, or CKR_NO_EVENT.
    CK_RV slotEvent(CK_SLOT_ID_PTR slot);

    CK_RV openSession(CK_SLOT_ID id, CK_FLAGS flags, CK_SESSION_HANDLE_PTR handle);
    CK_RV closeSession(CK_SESSION_HANDLE h);
    CK_RV closeAllSessions(CK_SLOT_ID id);
    CK_RV sessionInfo(CK_SESSION_HANDLE h, CK_SESSION_INFO_PTR info);
    CK_RV login(CK_SESSION_HANDLE h, CK_USER_TYPE user, CK_UTF8CHAR_PTR pin, CK_ULONG length);
    CK_RV logout(CK_SESSION_HANDLE h);
    /// VERIFY of the old PIN, then CHANGE REFERENCE DATA with the new one.
    CK_RV setPin(CK_SESSION_HANDLE h, CK_UTF8CHAR_PTR old, CK_ULONG oldLength,
                 CK_UTF8CHAR_PTR fresh, CK_ULONG freshLength);

    CK_RV findInit(CK_SESSION_HANDLE h, CK_ATTRIBUTE_PTR tmpl, CK_ULONG count);
    CK_RV find(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE_PTR out, CK_ULONG max, CK_ULONG_PTR count);
    CK_RV findFinal(CK_SESSION_HANDLE h);
    CK_RV attributes(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE o, CK_ATTRIBUTE_PTR tmpl,
                     CK_ULONG count);
    CK_RV objectSize(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE o, CK_ULONG_PTR size);
    /// For the functions that would write: the session is checked, then
    /// CKR_TOKEN_WRITE_PROTECTED.
    CK_RV writeProtected(CK_SESSION_HANDLE h);

    /// The mechanisms of the token's private keys (none when no key can be used).
    CK_RV mechanismList(CK_SLOT_ID id, CK_MECHANISM_TYPE_PTR list, CK_ULONG_PTR count);
    CK_RV mechanismInfo(CK_SLOT_ID id, CK_MECHANISM_TYPE type, CK_MECHANISM_INFO_PTR info);
    /// Starts a signature (or decryption) with a private key; nothing is sent.
    CK_RV operationInit(CK_SESSION_HANDLE h, KeyOperation::Kind kind, CK_MECHANISM_PTR mechanism,
                        CK_OBJECT_HANDLE key);
    /// C_Sign, C_SignFinal (data null, `final`) and C_Decrypt: a null result
    /// or a short buffer gives the length and keeps the operation; otherwise
    /// the card does its part and the operation ends.
    CK_RV operationRun(CK_SESSION_HANDLE h, KeyOperation::Kind kind, const unsigned char* data,
                       CK_ULONG length, bool final, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
    CK_RV signUpdate(CK_SESSION_HANDLE h, const unsigned char* data, CK_ULONG length);
    /// The card's GET CHALLENGE, 8 bytes at a time as IAS ECC cards give them.
    CK_RV generateRandom(CK_SESSION_HANDLE h, CK_BYTE_PTR out, CK_ULONG length);

private:
    struct Card {
        std::unique_ptr<ias::CIASCard> handle;
        token::Token token;
        CardObjects objects;
        bool known = false; ///< the walk found a CIA: the slot holds a token
        std::string label, manufacturer, serial, model;
        std::vector<CK_SLOT_ID> slots; ///< one per PIN (one when no PIN guards anything)
        std::vector<bool> loggedIn;    ///< by PIN
        std::vector<int> triesLeft;    ///< by PIN: -1 unknown, 0 blocked
    };
    struct Reader {
        std::string name;
        CK_SLOT_ID base = 0;
        bool present = false;
        bool gone = false;
        unsigned long events = 0;
        std::vector<unsigned char> atr;
        std::shared_ptr<Card> card;
        bool changed = false; ///< since the last slot event reported
        /// Slots of cards that left: still answered (no token), never reused.
        std::vector<CK_SLOT_ID> retired;
    };
    struct Session {
        CK_SLOT_ID slot = 0;
        CK_FLAGS flags = 0;
        std::shared_ptr<Card> card;
        int pin = 0;
        bool finding = false;
        std::vector<CK_OBJECT_HANDLE> found;
        std::size_t next = 0;
        std::unique_ptr<KeyOperation> op; ///< a signature or decryption in progress
    };
    struct SlotRef {
        Reader* reader = nullptr;
        int pin = 0; ///< -1: a slot of a card that left
        /// The card this slot shows as a token, or null.
        Card* token() const {
            return pin >= 0 && reader->card && reader->card->known ? reader->card.get() : nullptr;
        }
    };

    void refresh();
    void dropSessionsOf(Reader& r);
    void load(Reader& r);
    void read(Card& c);
    bool slot(CK_SLOT_ID id, SlotRef& out);
    /// The slot `id` after a look at the readers; CKR_ARGUMENTS_BAD when
    /// `out` (the caller's result) is null.
    CK_RV freshSlot(CK_SLOT_ID id, const void* out, SlotRef& s);
    CK_RV session(CK_SESSION_HANDLE h, Session*& out);
    bool visible(const Session& s, const Object& o) const;
    Object* object(Session& s, CK_OBJECT_HANDLE h);
    void queryTries(Card& c, int pin);
    void lastSessionGone(const std::shared_ptr<Card>& card, int pin);
    void endLogin(Card& c, std::size_t pin);
    void selectPinDf(Card& c, const Pin& p);
    void selectDf(Card& c, const ias::CCiaPath& path);
    CK_RV contextLogin(Session& s, CK_UTF8CHAR_PTR text, CK_ULONG length);
    CK_RV runOnCard(Session& s, KeyOperation& op, const token::Bytes& input, token::Bytes& out);
    CK_RV PinRefused(Card& c, std::size_t pin, const ias::CIASException& e);
    CK_RV cardFailed(Card& c, const ias::CIASException& e);
    void forgetLogins(Card& c);
    void noticeReset(Reader& r);
    void forgetValuesReadLoggedIn(Card& c);
    CK_RV readLazyValue(Card& c, Object& o);

    std::unique_ptr<token::Connection> m_pcsc;
    std::vector<Reader> m_readers;
    std::map<CK_SESSION_HANDLE, Session> m_sessions;
    CK_SLOT_ID m_nextSlot = 1;
    /// The slot list of the last size query, which the next fill call gives.
    std::vector<CK_SLOT_ID> m_listed;
    bool m_listedPresent = false;
    bool m_listedValid = false;
    CK_SESSION_HANDLE m_nextSession = 1;
    CK_OBJECT_HANDLE m_nextObject = 1;
};

} // namespace p11

#endif
