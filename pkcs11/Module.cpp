#include "Module.h"

#include "token/CardTransaction.h"
#include "token/CardType.h"
#include "token/KnownCards.h"

#include <algorithm>
#include <cstring>

namespace p11 {

namespace {

// A blank-padded text field of Cryptoki, cut at a whole UTF-8 character.
template <std::size_t N> void Field(CK_UTF8CHAR (&field)[N], const std::string& text) {
    std::size_t n = std::min(text.size(), N);
    while (n < text.size() && n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) {
        --n; // do not cut a multi-byte character
    }
    std::memset(field, ' ', N);
    std::memcpy(field, text.data(), n);
}

constexpr unsigned long kResetCard = 0x80100068UL;

CK_RV CardError(const ias::CIASException& e) {
    const unsigned long code = e.error();
    if (code == 0x80100069UL || code == 0x8010000CUL || code == 0x80100017UL) {
        return CKR_DEVICE_REMOVED; // removed card, no card, reader gone
    }
    return CKR_DEVICE_ERROR;
}

using Transaction = token::CardTransaction;

std::string Text(const token::Bytes& b) {
    return std::string(b.begin(), b.end());
}

} // namespace

Module::Module() {
    refresh();
    for (Reader& r : m_readers) {
        r.changed = false; // what is there at start is no event
    }
}

void Module::dropSessionsOf(Reader& r) {
    const std::shared_ptr<Card>& card = r.card;
    if (!card) {
        return;
    }
    r.retired.insert(r.retired.end(), card->slots.begin() + 1, card->slots.end());
    for (auto it = m_sessions.begin(); it != m_sessions.end();) {
        it = it->second.card == card ? m_sessions.erase(it) : std::next(it);
    }
}

void Module::refresh() {
    std::vector<token::ReaderState> states;
    try {
        if (!m_pcsc) {
            m_pcsc.reset(new token::Connection());
        }
        states = m_pcsc->readers();
    } catch (const token::PcscError&) {
        m_pcsc.reset(); // pcscd gone: no readers until it is back
    }
    for (Reader& r : m_readers) {
        const bool listed =
            std::any_of(states.begin(), states.end(),
                        [&](const token::ReaderState& s) { return s.name == r.name; });
        if (!listed && !r.gone) {
            r.gone = true;
            r.present = false;
            dropSessionsOf(r); // their handles go with the card
            r.card.reset();
            r.changed = true;
        }
    }
    for (const token::ReaderState& st : states) {
        auto it = std::find_if(m_readers.begin(), m_readers.end(),
                               [&](const Reader& r) { return r.name == st.name; });
        if (it == m_readers.end()) {
            Reader r;
            r.name = st.name;
            r.base = m_nextSlot++;
            r.gone = true; // so that the state below is taken as new
            m_readers.push_back(r);
            it = m_readers.end() - 1;
        }
        Reader& r = *it;
        const bool present = st.present && !st.mute;
        if (!r.gone && r.present == present && r.events == st.events && (r.card || !present)) {
            continue;
        }
        // Inserted, removed, or taken out and put back: the card is another one.
        r.gone = false;
        r.present = present;
        r.events = st.events;
        r.atr = st.atr;
        dropSessionsOf(r);
        r.card.reset();
        r.changed = true;
        if (present) {
            load(r);
        }
    }
}

void Module::load(Reader& r) {
    auto c = std::make_shared<Card>();
    c->slots.push_back(r.base);
    if (token::KnownCards::name(r.atr.data(), r.atr.size()).empty()) {
        r.card = c; // a card the configuration does not know gets no APDU
        return;
    }
    try {
        c->handle = m_pcsc->connect(r.name);
    } catch (const token::PcscError&) {
        return; // busy (another application holds it alone): tried again next time
    }
    if (!c->handle) {
        return; // gone meanwhile: the next listing sees it
    }
    try {
        Transaction tx(*c->handle); // the walk sees one state of the card
        read(*c);
    } catch (...) {
        // Whatever the card gave could not be presented: no token, and no
        // new walk of it until it is inserted again.
        c->known = false;
    }
    r.card = c;
}

void Module::read(Card& c) {
    c.token = token::Token::read(*c.handle);
    c.known = c.token.objectDirectory().read;
    if (!c.known) {
        return; // a card without a CIA this module reads: no token
    }
    c.objects = CardObjects::build(*c.handle, c.token, m_nextObject);
    c.model = token::CardType::name(token::CardType::probe(*c.handle, c.token));
    const ias::CCiaInfoFile* info = c.token.ciaInfo();
    try {
        c.label = info ? Text(token::ToBytes(info->label())) : "";
        c.manufacturer = info ? Text(token::ToBytes(info->manufacturerId())) : "";
        c.serial = info ? token::Hex(info->serialNumber()) : "";
    } catch (const ias::CIASException&) {
    }
    if (c.label.empty()) {
        c.label = c.model.empty() ? "IAS card" : c.model + " card";
    }
    const std::size_t pins = std::max<std::size_t>(1, c.objects.pins().size());
    for (std::size_t k = 1; k < pins; ++k) {
        c.slots.push_back(m_nextSlot++); // never reused for another card
    }
    c.loggedIn.assign(pins, false);
    c.triesLeft.assign(pins, -1);
    for (std::size_t k = 0; k < c.objects.pins().size(); ++k) {
        queryTries(c, static_cast<int>(k));
    }
}

void Module::queryTries(Card& c, int pin) {
    Pin& p = c.objects.pins()[static_cast<std::size_t>(pin)];
    ias::CBlob response;
    unsigned short sw = 0;
    try {
        Transaction tx(*c.handle);
        selectPinDf(c, p);
        c.handle->sendAPDU(0x00, 0x20, 0x00, p.reference, ias::CBlob(), 0, response, sw);
    } catch (const ias::CIASException&) {
        return;
    }
    int& tries = c.triesLeft[static_cast<std::size_t>(pin)];
    tries = (sw & 0xFFF0) == 0x63C0 ? (sw & 0x0F) : sw == 0x6983 ? 0 : -1;
    p.maxTriesSeen = std::max(p.maxTriesSeen, tries);
}

bool Module::slot(CK_SLOT_ID id, SlotRef& out) {
    // A slot once listed stays a slot: a reader that left, or a PIN slot of
    // a card that left, answers with no token.
    for (Reader& r : m_readers) {
        if (r.base == id) {
            out = SlotRef{&r, 0};
            return true;
        }
        if (r.card) {
            for (std::size_t k = 1; k < r.card->slots.size(); ++k) {
                if (r.card->slots[k] == id) {
                    out = SlotRef{&r, static_cast<int>(k)};
                    return true;
                }
            }
        }
        if (std::find(r.retired.begin(), r.retired.end(), id) != r.retired.end()) {
            out = SlotRef{&r, -1};
            return true;
        }
    }
    return false;
}

CK_RV Module::slotList(bool tokenPresent, CK_SLOT_ID_PTR list, CK_ULONG_PTR count) {
    if (!count) {
        return CKR_ARGUMENTS_BAD;
    }
    // The set of slots changes only at a size query (a null list), so the
    // fill call that follows gives exactly what the query counted.
    if (!list || !m_listedValid || m_listedPresent != tokenPresent) {
        refresh();
        m_listed.clear();
        for (const Reader& r : m_readers) {
            if (r.gone) {
                continue;
            }
            const bool token = r.card && r.card->known;
            if (!token && !tokenPresent) {
                m_listed.push_back(r.base);
            }
            if (token) {
                m_listed.insert(m_listed.end(), r.card->slots.begin(), r.card->slots.end());
            }
        }
        m_listedPresent = tokenPresent;
        m_listedValid = true;
    }
    if (list && *count < m_listed.size()) {
        *count = m_listed.size();
        return CKR_BUFFER_TOO_SMALL;
    }
    if (list) {
        std::copy(m_listed.begin(), m_listed.end(), list);
        m_listedValid = false; // the next call looks at the readers again
    }
    *count = m_listed.size();
    return CKR_OK;
}

CK_RV Module::freshSlot(CK_SLOT_ID id, const void* out, SlotRef& s) {
    if (!out) {
        return CKR_ARGUMENTS_BAD;
    }
    refresh();
    return slot(id, s) ? CKR_OK : CKR_SLOT_ID_INVALID;
}

CK_RV Module::slotInfo(CK_SLOT_ID id, CK_SLOT_INFO_PTR info) {
    SlotRef s;
    const CK_RV rv = freshSlot(id, info, s);
    if (rv != CKR_OK) {
        return rv;
    }
    const Card* c = s.token();
    std::string name = s.reader->name;
    if (c && c->objects.pins().size() > 1) {
        name += " (" + c->objects.pins()[static_cast<std::size_t>(s.pin)].label + ")";
    }
    Field(info->slotDescription, name);
    Field(info->manufacturerID, "libias");
    info->flags = CKF_REMOVABLE_DEVICE | CKF_HW_SLOT | (c ? CKF_TOKEN_PRESENT : 0);
    info->hardwareVersion = {0, 0};
    info->firmwareVersion = {0, 0};
    return CKR_OK;
}

CK_RV Module::tokenInfo(CK_SLOT_ID id, CK_TOKEN_INFO_PTR info) {
    SlotRef s;
    const CK_RV rv = freshSlot(id, info, s);
    if (rv != CKR_OK) {
        return rv;
    }
    Card* c = s.token();
    if (!c) {
        return CKR_TOKEN_NOT_PRESENT;
    }
    const std::vector<Pin>& pins = c->objects.pins();
    const std::size_t k = static_cast<std::size_t>(s.pin);
    // With several PINs the tokens differ by the PIN's name, which must
    // survive the 32 bytes of the field: the card's label gives way.
    std::string label = c->label;
    if (pins.size() > 1) {
        const std::string suffix = " (" + pins[k].label + ")";
        std::size_t keep = suffix.size() < 32 ? std::min(label.size(), 32 - suffix.size()) : 0;
        while (keep > 0 && keep < label.size() &&
               (static_cast<unsigned char>(label[keep]) & 0xC0) == 0x80) {
            --keep;
        }
        label = label.substr(0, keep) + suffix;
    }
    Field(info->label, label);
    Field(info->manufacturerID, c->manufacturer);
    Field(info->model, c->model);
    Field(info->serialNumber, c->serial);
    info->flags = CKF_WRITE_PROTECTED | CKF_TOKEN_INITIALIZED | CKF_RNG;
    info->ulMinPinLen = 0;
    info->ulMaxPinLen = 0;
    if (!pins.empty()) {
        info->flags |= CKF_USER_PIN_INITIALIZED | CKF_LOGIN_REQUIRED;
        const int tries = c->triesLeft[k];
        const bool low = pins[k].failedSinceSuccess || (tries > 0 && tries < pins[k].maxTriesSeen);
        info->flags |= tries == 0 ? CKF_USER_PIN_LOCKED
                                  : (low ? CKF_USER_PIN_COUNT_LOW : 0) |
                                        (tries == 1 ? CKF_USER_PIN_FINAL_TRY : 0);
        info->ulMinPinLen = pins[k].minLength;
        info->ulMaxPinLen = pins[k].maxLength ? pins[k].maxLength : 64;
    }
    info->ulMaxSessionCount = CK_EFFECTIVELY_INFINITE;
    info->ulSessionCount = CK_UNAVAILABLE_INFORMATION;
    info->ulMaxRwSessionCount = CK_EFFECTIVELY_INFINITE;
    info->ulRwSessionCount = CK_UNAVAILABLE_INFORMATION;
    info->ulTotalPublicMemory = CK_UNAVAILABLE_INFORMATION;
    info->ulFreePublicMemory = CK_UNAVAILABLE_INFORMATION;
    info->ulTotalPrivateMemory = CK_UNAVAILABLE_INFORMATION;
    info->ulFreePrivateMemory = CK_UNAVAILABLE_INFORMATION;
    info->hardwareVersion = {0, 0};
    info->firmwareVersion = {0, 0};
    std::memset(info->utcTime, ' ', sizeof info->utcTime);
    return CKR_OK;
}

CK_RV Module::slotEvent(CK_SLOT_ID_PTR out) {
    if (!out) {
        return CKR_ARGUMENTS_BAD;
    }
    refresh();
    for (Reader& r : m_readers) {
        if (r.changed) {
            r.changed = false;
            *out = r.base;
            return CKR_OK;
        }
    }
    return CKR_NO_EVENT;
}

CK_RV Module::openSession(CK_SLOT_ID id, CK_FLAGS flags, CK_SESSION_HANDLE_PTR handle) {
    if (!handle) {
        return CKR_ARGUMENTS_BAD;
    }
    if (!(flags & CKF_SERIAL_SESSION)) {
        return CKR_SESSION_PARALLEL_NOT_SUPPORTED;
    }
    refresh();
    SlotRef s;
    if (!slot(id, s)) {
        return CKR_SLOT_ID_INVALID;
    }
    if (!s.token()) {
        return CKR_TOKEN_NOT_PRESENT;
    }
    Session session;
    session.slot = id;
    session.flags = flags;
    session.card = s.reader->card;
    session.pin = s.pin;
    *handle = m_nextSession++;
    m_sessions[*handle] = std::move(session);
    return CKR_OK;
}

CK_RV Module::closeSession(CK_SESSION_HANDLE h) {
    Session* s = nullptr;
    const CK_RV rv = session(h, s);
    if (rv == CKR_OK) {
        const std::shared_ptr<Card> card = s->card;
        const int pin = s->pin;
        m_sessions.erase(h);
        lastSessionGone(card, pin);
    }
    return rv;
}

CK_RV Module::closeAllSessions(CK_SLOT_ID id) {
    SlotRef ref;
    if (!slot(id, ref)) {
        return CKR_SLOT_ID_INVALID;
    }
    for (auto it = m_sessions.begin(); it != m_sessions.end();) {
        it = it->second.slot == id ? m_sessions.erase(it) : std::next(it);
    }
    if (ref.token()) {
        lastSessionGone(ref.reader->card, ref.pin);
    }
    return CKR_OK;
}

// With its last session the application's login ends, on the card too.
void Module::lastSessionGone(const std::shared_ptr<Card>& card, int pin) {
    const std::size_t k = static_cast<std::size_t>(pin);
    for (const auto& open : m_sessions) {
        if (open.second.card == card && open.second.pin == pin) {
            return;
        }
    }
    if (k < card->loggedIn.size() && card->loggedIn[k]) {
        endLogin(*card, k);
    }
}

CK_RV Module::session(CK_SESSION_HANDLE h, Session*& out) {
    const auto it = m_sessions.find(h);
    if (it == m_sessions.end()) {
        return CKR_SESSION_HANDLE_INVALID;
    }
    // A session lives as long as the card it was opened on.
    SlotRef ref;
    if (!slot(it->second.slot, ref) || ref.reader->card != it->second.card) {
        m_sessions.erase(it);
        return CKR_SESSION_HANDLE_INVALID;
    }
    noticeReset(*ref.reader);
    out = &it->second;
    return CKR_OK;
}

// The library absorbs another application's reset silently (it reconnects
// and goes on), but the card has forgotten its verified PINs and its current
// file: so must we, before a session shows a login the card no longer holds.
// A new handle starts with no file-selection cache; the walk is kept, since
// the card is the same.
void Module::noticeReset(Reader& r) {
    Card& c = *r.card;
    if (!c.handle || !m_pcsc || !token::Connection::resetSince(*c.handle)) {
        return;
    }
    forgetLogins(c);
    try {
        if (auto fresh = m_pcsc->connect(r.name)) {
            c.handle = std::move(fresh);
        }
    } catch (const token::PcscError&) {
        // Kept: the library reconnects the old handle at its next use.
    }
}

CK_RV Module::sessionInfo(CK_SESSION_HANDLE h, CK_SESSION_INFO_PTR info) {
    Session* s = nullptr;
    const CK_RV rv = session(h, s);
    if (rv != CKR_OK || !info) {
        return rv != CKR_OK ? rv : CKR_ARGUMENTS_BAD;
    }
    const bool user = s->card->loggedIn[static_cast<std::size_t>(s->pin)];
    const bool rw = (s->flags & CKF_RW_SESSION) != 0;
    info->slotID = s->slot;
    info->state = rw ? (user ? CKS_RW_USER_FUNCTIONS : CKS_RW_PUBLIC_SESSION)
                     : (user ? CKS_RO_USER_FUNCTIONS : CKS_RO_PUBLIC_SESSION);
    info->flags = s->flags;
    info->ulDeviceError = 0;
    return CKR_OK;
}

CK_RV Module::login(CK_SESSION_HANDLE h, CK_USER_TYPE user, CK_UTF8CHAR_PTR text, CK_ULONG length) {
    Session* s = nullptr;
    if (const CK_RV rv = session(h, s)) { // CKR_OK is 0
        return rv;
    }
    if (user == CKU_SO) {
        return CKR_USER_TYPE_INVALID; // the CIA names no security officer PIN
    }
    if (user != CKU_USER && user != CKU_CONTEXT_SPECIFIC) {
        return CKR_USER_TYPE_INVALID;
    }
    if (user == CKU_CONTEXT_SPECIFIC) {
        return contextLogin(*s, text, length);
    }
    Card& c = *s->card;
    const std::size_t k = static_cast<std::size_t>(s->pin);
    if (c.objects.pins().empty()) {
        return CKR_OK; // nothing on this token needs a PIN
    }
    if (c.loggedIn[k]) {
        return CKR_USER_ALREADY_LOGGED_IN;
    }
    if (!text) {
        return CKR_ARGUMENTS_BAD; // no protected authentication path
    }
    const Pin& p = c.objects.pins()[k];
    token::Bytes data;
    if (!p.lengthFits(length) || !p.format(text, length, data)) {
        return CKR_PIN_INCORRECT; // nothing sent: it cannot be this PIN
    }
    if (c.triesLeft[k] == 0) {
        return CKR_PIN_LOCKED; // known blocked: no try is spent on it
    }
    try {
        Transaction tx(*c.handle);
        selectPinDf(c, p);
        c.handle->verify(p.reference, token::ToBlob(data));
    } catch (const ias::CIASException& e) {
        return PinRefused(c, k, e);
    }
    c.loggedIn[k] = true;
    c.triesLeft[k] = -1; // the counter is full again
    c.objects.pins()[k].failedSinceSuccess = false;
    for (Object& o : c.objects.objects()) {
        o.refused = o.refused == CKR_ATTRIBUTE_SENSITIVE ? CKR_OK : o.refused;
    }
    return CKR_OK;
}

CK_RV Module::logout(CK_SESSION_HANDLE h) {
    Session* s = nullptr;
    if (const CK_RV rv = session(h, s)) { // CKR_OK is 0
        return rv;
    }
    Card& c = *s->card;
    const std::size_t k = static_cast<std::size_t>(s->pin);
    if (c.objects.pins().empty() || !c.loggedIn[k]) {
        return CKR_USER_NOT_LOGGED_IN;
    }
    endLogin(c, k);
    return CKR_OK;
}

void Module::endLogin(Card& c, std::size_t k) {
    // VERIFY with P1 FF resets the PIN's verified state (ISO/IEC 7816-4).
    ias::CBlob response;
    unsigned short sw = 0;
    try {
        Transaction tx(*c.handle);
        selectPinDf(c, c.objects.pins()[k]);
        c.handle->sendAPDU(0x00, 0x20, 0xFF, c.objects.pins()[k].reference, ias::CBlob(), 0,
                           response, sw);
    } catch (const ias::CIASException&) {
        // The login is dropped whatever the card answered.
    }
    c.loggedIn[k] = false;
    forgetValuesReadLoggedIn(c);
}

CK_RV Module::setPin(CK_SESSION_HANDLE h, CK_UTF8CHAR_PTR old, CK_ULONG oldLength,
                     CK_UTF8CHAR_PTR fresh, CK_ULONG freshLength) {
    Session* s = nullptr;
    if (const CK_RV rv = session(h, s)) { // CKR_OK is 0
        return rv;
    }
    if (!(s->flags & CKF_RW_SESSION)) {
        return CKR_SESSION_READ_ONLY;
    }
    Card& c = *s->card;
    const std::size_t k = static_cast<std::size_t>(s->pin);
    if (c.objects.pins().empty()) {
        return CKR_USER_PIN_NOT_INITIALIZED;
    }
    if (!old || !fresh) {
        return CKR_ARGUMENTS_BAD;
    }
    const Pin& p = c.objects.pins()[k];
    token::Bytes oldData, freshData;
    if (!p.lengthFits(freshLength)) {
        return CKR_PIN_LEN_RANGE;
    }
    if (!p.format(fresh, freshLength, freshData)) {
        return CKR_PIN_INVALID;
    }
    if (!p.lengthFits(oldLength) || !p.format(old, oldLength, oldData)) {
        return CKR_PIN_INCORRECT;
    }
    try {
        Transaction tx(*c.handle);
        selectPinDf(c, p);
        c.handle->verify(p.reference, token::ToBlob(oldData));
        c.handle->changePIN(p.reference, token::ToBlob(freshData));
    } catch (const ias::CIASException& e) {
        return PinRefused(c, k, e);
    }
    c.triesLeft[k] = -1;
    c.objects.pins()[k].failedSinceSuccess = false;
    if (!c.loggedIn[k]) {
        c.loggedIn[k] = true; // verified on the card now: end it as a logout would
        endLogin(c, k);
    }
    return CKR_OK;
}

// A PIN local to a DF is verified with that DF current. The public API
// selects files only: opening the DF selects it, and the refusal that
// follows ("not a transparent EF") is the expected outcome.
void Module::selectPinDf(Card& c, const Pin& p) {
    // A local PIN (reference 8x) without a path belongs to the application.
    const bool local = (p.reference & 0x80) != 0;
    if (!p.hasPath && !local) {
        return;
    }
    selectDf(c, p.hasPath ? c.token.resolve(p.path) : c.token.applicationPath());
}

void Module::selectDf(Card& c, const ias::CCiaPath& path) {
    // The library opens EFs (each file after 3F00 selected as an EF of the
    // current DF, which a card refuses for a DF) and keeps its selection
    // cache true only for what it sends itself: the application's DF is
    // entered through its EF.OD, a single SELECT that the cache may even spare.
    ias::CCiaPath target = path;
    const ias::CApplicationTemplate* app = c.token.application();
    const bool application = path == c.token.applicationPath() ||
                             (app && path.aid().size() == 0 &&
                              token::ToBytes(path.efidOrPath()) == token::ToBytes(app->path()));
    if (application && c.token.objectDirectory().selected) {
        target = c.token.objectDirectory().path;
    }
    try {
        ias::CCiaFile df;
        df.open(*c.handle, target);
    } catch (const ias::CIASException&) {
        // Selected and refused as no EF, or not there: the next command tells.
    }
}

// A refused VERIFY: the tries left, the flags, and the code for the caller.
// A card reset by another application forgets every login.
CK_RV Module::PinRefused(Card& c, std::size_t k, const ias::CIASException& e) {
    if ((e.sw() & 0xFFF0) == 0x63C0 || e.sw() == 0x6983) {
        c.triesLeft[k] = e.sw() == 0x6983 ? 0 : static_cast<int>(e.sw() & 0x0F);
        c.objects.pins()[k].failedSinceSuccess = true;
        return e.sw() == 0x6983 ? CKR_PIN_LOCKED : CKR_PIN_INCORRECT;
    }
    return cardFailed(c, e);
}

// A card exchange that failed: a reset reported on the way forgets every login.
CK_RV Module::cardFailed(Card& c, const ias::CIASException& e) {
    if (e.error() == kResetCard) {
        forgetLogins(c);
    }
    return CardError(e);
}

void Module::forgetLogins(Card& c) {
    for (std::size_t k = 0; k < c.loggedIn.size(); ++k) {
        c.loggedIn[k] = false;
    }
    forgetValuesReadLoggedIn(c);
}

void Module::forgetValuesReadLoggedIn(Card& c) {
    for (Object& o : c.objects.objects()) {
        if (o.readLoggedIn) {
            o.attrs.erase(CKA_VALUE);
            o.lazyValue = true;
            o.readLoggedIn = false;
        }
    }
}

bool Module::visible(const Session& s, const Object& o) const {
    if (o.pin >= 0 && o.pin != s.pin) {
        return false; // another PIN's token
    }
    return !o.isPrivate || s.card->loggedIn[static_cast<std::size_t>(s.pin)];
}

Object* Module::object(Session& s, CK_OBJECT_HANDLE h) {
    for (Object& o : s.card->objects.objects()) {
        if (o.handle == h) {
            return visible(s, o) ? &o : nullptr;
        }
    }
    return nullptr;
}

CK_RV Module::readLazyValue(Card& c, Object& o) {
    if (!o.lazyValue) {
        return CKR_OK;
    }
    if (o.refused != CKR_OK) {
        return o.refused;
    }
    token::Bytes bytes;
    try {
        Transaction tx(*c.handle);
        bytes = c.token.objectValue(*c.handle, o.value);
    } catch (const ias::CIASException& e) {
        // A file the card guards though the CIA names no PIN for it: not
        // readable now, perhaps after a login.
        if (e.sw() == 0 || e.error() == kResetCard) {
            return cardFailed(c, e);
        }
        o.refused = e.sw() == 0x6982 ? CKR_ATTRIBUTE_SENSITIVE
                                     : CKR_ATTRIBUTE_TYPE_INVALID; // the file is not there
        return o.refused;
    }
    o.attrs.set(CKA_VALUE, Value(bytes.begin(), bytes.end()));
    o.lazyValue = false;
    // Read while a PIN was verified, the card may have given it for that
    // PIN only: it is forgotten with the login (endLogin).
    o.readLoggedIn = std::find(c.loggedIn.begin(), c.loggedIn.end(), true) != c.loggedIn.end();
    return CKR_OK;
}

CK_RV Module::findInit(CK_SESSION_HANDLE h, CK_ATTRIBUTE_PTR tmpl, CK_ULONG count) {
    Session* s = nullptr;
    if (const CK_RV rv = session(h, s)) { // CKR_OK is 0
        return rv;
    }
    if (!tmpl && count > 0) {
        return CKR_ARGUMENTS_BAD;
    }
    for (CK_ULONG i = 0; i < count; ++i) {
        if (!tmpl[i].pValue && tmpl[i].ulValueLen > 0) {
            return CKR_ARGUMENTS_BAD;
        }
    }
    if (s->finding) {
        return CKR_OPERATION_ACTIVE;
    }
    const bool wantsValue =
        std::any_of(tmpl, tmpl + count, [](const CK_ATTRIBUTE& a) { return a.type == CKA_VALUE; });
    std::vector<CK_ATTRIBUTE> others; // the template without CKA_VALUE
    for (CK_ULONG i = 0; i < count; ++i) {
        if (tmpl[i].type != CKA_VALUE) {
            others.push_back(tmpl[i]);
        }
    }
    s->found.clear();
    for (Object& o : s->card->objects.objects()) {
        if (!visible(*s, o)) {
            continue;
        }
        // The value is read only for objects the rest of the template takes.
        if (!o.attrs.matches(others.data(), others.size())) {
            continue;
        }
        if (wantsValue && readLazyValue(*s->card, o) != CKR_OK) {
            continue;
        }
        if (o.attrs.matches(tmpl, count)) {
            s->found.push_back(o.handle);
        }
    }
    s->next = 0;
    s->finding = true;
    return CKR_OK;
}

CK_RV Module::find(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE_PTR out, CK_ULONG max,
                   CK_ULONG_PTR count) {
    Session* s = nullptr;
    if (const CK_RV rv = session(h, s)) { // CKR_OK is 0
        return rv;
    }
    if (!out || !count) {
        return CKR_ARGUMENTS_BAD;
    }
    if (!s->finding) {
        return CKR_OPERATION_NOT_INITIALIZED;
    }
    CK_ULONG n = 0;
    while (n < max && s->next < s->found.size()) {
        out[n++] = s->found[s->next++];
    }
    *count = n;
    return CKR_OK;
}

CK_RV Module::findFinal(CK_SESSION_HANDLE h) {
    Session* s = nullptr;
    if (const CK_RV rv = session(h, s)) { // CKR_OK is 0
        return rv;
    }
    if (!s->finding) {
        return CKR_OPERATION_NOT_INITIALIZED;
    }
    s->finding = false;
    s->found.clear();
    return CKR_OK;
}

CK_RV Module::attributes(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE handle, CK_ATTRIBUTE_PTR tmpl,
                         CK_ULONG count) {
    Session* s = nullptr;
    if (const CK_RV rv = session(h, s)) { // CKR_OK is 0
        return rv;
    }
    if (!tmpl && count > 0) {
        return CKR_ARGUMENTS_BAD;
    }
    Object* o = object(*s, handle);
    if (!o) {
        return CKR_OBJECT_HANDLE_INVALID;
    }
    const auto wanted = [](const CK_ATTRIBUTE& a) { return a.type == CKA_VALUE; };
    if (std::any_of(tmpl, tmpl + count, wanted)) {
        const CK_RV rv = readLazyValue(*s->card, *o);
        if (rv == CKR_ATTRIBUTE_SENSITIVE || rv == CKR_ATTRIBUTE_TYPE_INVALID) {
            // The other attributes still answer; the value says why it cannot.
            const CK_RV others = o->attrs.get(tmpl, count);
            for (CK_ULONG i = 0; i < count; ++i) {
                if (wanted(tmpl[i])) {
                    tmpl[i].ulValueLen = CK_UNAVAILABLE_INFORMATION;
                }
            }
            return others == CKR_ATTRIBUTE_TYPE_INVALID || others == CKR_OK ? rv : others;
        }
        if (rv != CKR_OK) {
            return rv;
        }
    }
    return o->attrs.get(tmpl, count);
}

CK_RV Module::objectSize(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE handle, CK_ULONG_PTR size) {
    Session* s = nullptr;
    if (const CK_RV rv = session(h, s)) { // CKR_OK is 0
        return rv;
    }
    if (!size) {
        return CKR_ARGUMENTS_BAD;
    }
    if (!object(*s, handle)) {
        return CKR_OBJECT_HANDLE_INVALID;
    }
    *size = CK_UNAVAILABLE_INFORMATION; // no meaningful size on a read-only card
    return CKR_OK;
}

CK_RV Module::writeProtected(CK_SESSION_HANDLE h) {
    Session* s = nullptr;
    const CK_RV rv = session(h, s);
    return rv != CKR_OK ? rv : CKR_TOKEN_WRITE_PROTECTED;
}

CK_RV Module::mechanismList(CK_SLOT_ID id, CK_MECHANISM_TYPE_PTR list, CK_ULONG_PTR count) {
    SlotRef s;
    if (const CK_RV rv = freshSlot(id, count, s)) { // CKR_OK is 0
        return rv;
    }
    std::vector<CK_MECHANISM_TYPE> types;
    if (Card* c = s.token()) {
        for (const Object& o : c->objects.objects()) {
            if (o.key && (o.pin < 0 || o.pin == s.pin)) {
                for (const KeyUse::Mechanism& m : o.key->mechanisms) {
                    if (std::find(types.begin(), types.end(), m.type) == types.end()) {
                        types.push_back(m.type);
                    }
                }
            }
        }
    }
    if (list && *count < types.size()) {
        *count = types.size();
        return CKR_BUFFER_TOO_SMALL;
    }
    if (list) {
        std::copy(types.begin(), types.end(), list);
    }
    *count = types.size();
    return CKR_OK;
}

CK_RV Module::mechanismInfo(CK_SLOT_ID id, CK_MECHANISM_TYPE type, CK_MECHANISM_INFO_PTR info) {
    SlotRef s;
    if (const CK_RV rv = freshSlot(id, info, s)) { // CKR_OK is 0
        return rv;
    }
    Card* c = s.token();
    if (!c) {
        return CKR_TOKEN_NOT_PRESENT;
    }
    CK_MECHANISM_INFO found{~0UL, 0, CKF_HW};
    for (const Object& o : c->objects.objects()) {
        if (!o.key || (o.pin >= 0 && o.pin != s.pin)) {
            continue;
        }
        for (const KeyUse::Mechanism& m : o.key->mechanisms) {
            if (m.type == type) {
                const CK_ULONG bits = o.key->modulusBytes * 8;
                found.ulMinKeySize = std::min(found.ulMinKeySize, bits);
                found.ulMaxKeySize = std::max(found.ulMaxKeySize, bits);
                found.flags |= m.sign ? CKF_SIGN : CKF_DECRYPT;
            }
        }
    }
    if (found.flags == CKF_HW) {
        return CKR_MECHANISM_INVALID;
    }
    *info = found;
    return CKR_OK;
}

CK_RV Module::operationInit(CK_SESSION_HANDLE h, KeyOperation::Kind kind,
                            CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key) {
    Session* s = nullptr;
    if (const CK_RV rv = session(h, s)) { // CKR_OK is 0
        return rv;
    }
    if (!mechanism) {
        return CKR_ARGUMENTS_BAD;
    }
    if (s->op) {
        return CKR_OPERATION_ACTIVE;
    }
    Card& c = *s->card;
    const auto it = std::find_if(c.objects.objects().begin(), c.objects.objects().end(),
                                 [&](const Object& o) { return o.handle == key; });
    if (it == c.objects.objects().end() || (it->pin >= 0 && it->pin != s->pin)) {
        return CKR_KEY_HANDLE_INVALID;
    }
    if (it->isPrivate && !c.loggedIn[static_cast<std::size_t>(s->pin)]) {
        return CKR_USER_NOT_LOGGED_IN; // a key of this token, hidden until the login
    }
    const Value* cls = it->attrs.find(CKA_CLASS);
    if (!cls || cls->size() != sizeof(CK_OBJECT_CLASS) ||
        *reinterpret_cast<const CK_OBJECT_CLASS*>(cls->data()) != CKO_PRIVATE_KEY) {
        return CKR_KEY_TYPE_INCONSISTENT;
    }
    const bool sign = kind == KeyOperation::Kind::Sign;
    if (!it->key || (sign ? it->key->signs == KeyUse::Signs::No : !it->key->decrypts)) {
        return CKR_KEY_FUNCTION_NOT_PERMITTED;
    }
    const KeyUse::Mechanism* m = it->key->find(mechanism->mechanism, sign);
    if (!m) {
        return CKR_MECHANISM_INVALID;
    }
    if (mechanism->pParameter || mechanism->ulParameterLen) {
        return CKR_MECHANISM_PARAM_INVALID;
    }
    s->op = std::make_unique<KeyOperation>(kind, it->key, *m, key);
    s->op->pin = it->pin;
    return CKR_OK;
}

CK_RV Module::signUpdate(CK_SESSION_HANDLE h, const unsigned char* data, CK_ULONG length) {
    Session* s = nullptr;
    if (const CK_RV rv = session(h, s)) { // CKR_OK is 0
        return rv;
    }
    if (!s->op || s->op->kind() != KeyOperation::Kind::Sign) {
        return CKR_OPERATION_NOT_INITIALIZED;
    }
    const CK_RV rv = data || !length ? s->op->update(data, length) : CKR_ARGUMENTS_BAD;
    if (rv != CKR_OK) {
        s->op.reset(); // an error ends the operation
    }
    return rv;
}

CK_RV Module::operationRun(CK_SESSION_HANDLE h, KeyOperation::Kind kind, const unsigned char* data,
                           CK_ULONG length, bool final, CK_BYTE_PTR out, CK_ULONG_PTR outLength) {
    Session* s = nullptr;
    if (const CK_RV rv = session(h, s)) { // CKR_OK is 0
        return rv;
    }
    if (!s->op || s->op->kind() != kind) {
        return CKR_OPERATION_NOT_INITIALIZED;
    }
    KeyOperation& op = *s->op;
    if (!outLength || (!final && !data && length)) {
        s->op.reset();
        return CKR_ARGUMENTS_BAD;
    }
    if (!final && op.updated()) {
        s->op.reset();
        return CKR_FUNCTION_FAILED; // C_Sign cannot end a multi-part signature
    }
    // Length queries are answered here: nothing goes to the card.
    const CK_ULONG most = op.hasPending ? op.pending.size() : op.resultLength();
    if (!out) {
        *outLength = most;
        return CKR_OK;
    }
    if (!op.hasPending) {
        // A signature has the modulus' length; a decryption may well fit a
        // smaller buffer, which only the card's answer tells.
        if (kind == KeyOperation::Kind::Sign && *outLength < most) {
            *outLength = most;
            return CKR_BUFFER_TOO_SMALL;
        }
        token::Bytes input;
        CK_RV rv = op.prepare(final ? nullptr : data, length, input);
        if (rv == CKR_OK) {
            rv = runOnCard(*s, op, input, op.pending);
        }
        if (rv != CKR_OK) {
            s->op.reset();
            return rv;
        }
        op.hasPending = true;
    }
    if (*outLength < op.pending.size()) {
        *outLength = op.pending.size();
        return CKR_BUFFER_TOO_SMALL;
    }
    std::copy(op.pending.begin(), op.pending.end(), out);
    *outLength = op.pending.size();
    s->op.reset();
    return CKR_OK;
}

// Verified with the operation, inside its transaction: the card's one-shot
// PIN state then cannot be spent by anyone else in between.
CK_RV Module::contextLogin(Session& s, CK_UTF8CHAR_PTR text, CK_ULONG length) {
    if (!s.op) {
        return CKR_OPERATION_NOT_INITIALIZED;
    }
    if (s.op->pin < 0) {
        return CKR_OK; // the key needs no PIN
    }
    if (!text) {
        return CKR_ARGUMENTS_BAD;
    }
    Card& c = *s.card;
    const std::size_t k = static_cast<std::size_t>(s.op->pin);
    const Pin& p = c.objects.pins()[k];
    token::Bytes data;
    if (!p.lengthFits(length) || !p.format(text, length, data)) {
        return CKR_PIN_INCORRECT; // nothing sent: it cannot be this PIN
    }
    if (c.triesLeft[k] == 0) {
        return CKR_PIN_LOCKED;
    }
    s.op->contextPin = std::move(data);
    s.op->contextLogin = true;
    return CKR_OK;
}

CK_RV Module::runOnCard(Session& s, KeyOperation& op, const token::Bytes& input,
                        token::Bytes& out) {
    Card& c = *s.card;
    const KeyUse& key = op.key();
    const int k = op.pin;
    const auto ku = static_cast<std::size_t>(k);
    if (k >= 0 && !c.loggedIn[ku]) {
        return CKR_USER_NOT_LOGGED_IN; // logged out, or the card was reset meanwhile
    }
    if (key.alwaysAuthenticate && k >= 0 && !op.contextLogin) {
        return CKR_USER_NOT_LOGGED_IN; // the card wants the PIN again for this use
    }
    unsigned short sw = 0x9000;
    CK_RV rv = CKR_OK;
    try {
        Transaction tx(*c.handle);
        bool inKeyDf = false;
        if (op.contextLogin && k >= 0) {
            Pin& p = c.objects.pins()[ku];
            selectPinDf(c, p);
            // A refused SELECT (the one the library sends after VERIFY)
            // leaves the current DF as it was: the key's, when it is the PIN's.
            inKeyDf = key.hasPath && p.hasPath && c.token.resolve(p.path) == key.path;
            try {
                c.handle->verify(p.reference, token::ToBlob(op.contextPin));
            } catch (const ias::CIASException& e) {
                return PinRefused(c, ku, e);
            }
            c.triesLeft[ku] = -1;
            p.failedSinceSuccess = false;
        }
        if (key.hasPath && !inKeyDf) {
            selectDf(c, key.path);
        }
        rv = op.kind() == KeyOperation::Kind::Sign ? op.sign(*c.handle, input, out, sw)
                                                   : op.decipher(*c.handle, input, out, sw);
    } catch (const ias::CIASException& e) {
        return cardFailed(c, e);
    }
    if (rv == CKR_OK) {
        return CKR_OK;
    }
    if (sw == 0x6982) {
        // The card holds no verified PIN for the key: the login is gone.
        if (k >= 0 && !key.alwaysAuthenticate) {
            c.loggedIn[ku] = false;
            forgetValuesReadLoggedIn(c);
        }
        return CKR_USER_NOT_LOGGED_IN;
    }
    if (sw == 0x6700) {
        return op.kind() == KeyOperation::Kind::Sign ? CKR_DATA_LEN_RANGE
                                                     : CKR_ENCRYPTED_DATA_LEN_RANGE;
    }
    if (sw == 0x6A80 && op.kind() == KeyOperation::Kind::Decrypt) {
        return CKR_ENCRYPTED_DATA_INVALID;
    }
    return CKR_DEVICE_ERROR;
}

CK_RV Module::generateRandom(CK_SESSION_HANDLE h, CK_BYTE_PTR out, CK_ULONG length) {
    Session* s = nullptr;
    if (const CK_RV rv = session(h, s)) { // CKR_OK is 0
        return rv;
    }
    if (!out && length) {
        return CKR_ARGUMENTS_BAD;
    }
    Card& c = *s->card;
    try {
        Transaction tx(*c.handle);
        for (CK_ULONG done = 0; done < length;) {
            ias::CBlob response;
            unsigned short sw = 0;
            c.handle->sendAPDU(0x00, 0x84, 0x00, 0x00, ias::CBlob(), 8, response, sw);
            const token::Bytes random = token::ToBytes(response);
            if (sw != 0x9000 || random.empty()) {
                return sw == 0x6D00 ? CKR_RANDOM_NO_RNG : CKR_DEVICE_ERROR;
            }
            const CK_ULONG n = std::min<CK_ULONG>(random.size(), length - done);
            std::copy(random.begin(), random.begin() + static_cast<std::ptrdiff_t>(n), out + done);
            done += n;
        }
    } catch (const ias::CIASException& e) {
        return cardFailed(c, e);
    }
    return CKR_OK;
}

} // namespace p11
