#include "card.h"
#include "status.h"

#include <algorithm>

namespace vcard {

namespace {

constexpr std::uint16_t kMfId = 0x3F00;
constexpr std::size_t kMaxChain = 4096;

std::uint16_t triesWord(int tries) {
    return static_cast<std::uint16_t>(0x63C0 | (tries & 0x0F));
}

Bytes withSw(Bytes data, std::uint16_t sw) {
    data.push_back(static_cast<std::uint8_t>(sw >> 8));
    data.push_back(static_cast<std::uint8_t>(sw & 0xFF));
    return data;
}

bool startsWith(const Bytes& b, const Bytes& prefix) {
    return b.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), b.begin());
}

std::size_t tlvHeaderSize(std::size_t n) {
    return n < 0x80 ? 2 : (n < 0x100 ? 3 : 4);
}

} // namespace

int protocolOfAtr(const Bytes& atr) {
    // T0's high nibble announces TA1..TD1; TD1's low nibble is the first protocol offered.
    if (atr.size() < 2) {
        return 0;
    }
    std::uint8_t t0 = atr[1];
    if ((t0 & 0x80) == 0) {
        return 0;
    }
    std::size_t pos = 2 + ((t0 & 0x10) ? 1 : 0) + ((t0 & 0x20) ? 1 : 0) + ((t0 & 0x40) ? 1 : 0);
    if (pos >= atr.size()) {
        return 0;
    }
    return (atr[pos] & 0x0F) == 1 ? 1 : 0;
}

VirtualCard::VirtualCard(CardConfig config)
    : config_(std::move(config)), protocol_(protocolOfAtr(config_.atr)) {
    for (const PinConfig& p : config_.pins) {
        pins_.push_back(PinState{p, false});
    }
    reset();
}

void VirtualCard::reset() {
    currentDf_ = config_.mf.get();
    currentEf_ = nullptr;
    pending_.clear();
    chain_.clear();
    chaining_ = false;
    env_.reset();
    hash_.clear();
    for (PinState& p : pins_) {
        p.verified = false;
    }
}

Bytes VirtualCard::process(const Bytes& apdu) {
    if (apdu.size() < 4) {
        pending_.clear();
        return withSw({}, kWrongLength);
    }
    Command c{apdu[0], apdu[1], apdu[2], apdu[3], {}, false, 0};
    // Short APDUs only; under T=0 a five-byte command is read as case 2.
    bool lengthOk = true;
    if (apdu.size() == 5) {
        c.hasLe = true;
        c.le = apdu[4] == 0 ? 256 : apdu[4];
    } else if (apdu.size() > 5) {
        std::size_t lc = apdu[4];
        if (lc == 0 || (apdu.size() != 5 + lc && apdu.size() != 6 + lc)) {
            lengthOk = false;
        } else {
            c.data.assign(apdu.begin() + 5, apdu.begin() + 5 + static_cast<std::ptrdiff_t>(lc));
            if (apdu.size() == 6 + lc) {
                c.hasLe = true;
                c.le = apdu.back() == 0 ? 256 : apdu.back();
            }
        }
    }

    for (Fault& f : config_.faults) {
        if (f.times == 0 || !startsWith(apdu, f.match)) {
            continue;
        }
        if (f.skip > 0) {
            --f.skip;
            continue;
        }
        if (f.times > 0) {
            --f.times;
        }
        pending_.clear();
        return withSw({}, f.sw);
    }

    if (c.ins != 0xC0) {
        pending_.clear();
    }
    if (!lengthOk) {
        return withSw({}, kWrongLength);
    }
    if ((c.cla & 0xE0) != 0 || c.cla == 0xFF) {
        return withSw({}, kClaNotSupported);
    }
    if ((c.cla & 0x0C) != 0) {
        return withSw({}, kSmNotSupported);
    }
    if ((c.cla & 0x03) != 0) {
        return withSw({}, kChannelNotSupported);
    }

    if (c.cla & 0x10) {
        if (chaining_ && chainIns_ != c.ins) {
            chaining_ = false;
            chain_.clear();
            return withSw({}, kLastCommandExpected);
        }
        if (chain_.size() + c.data.size() > kMaxChain) {
            chaining_ = false;
            chain_.clear();
            return withSw({}, kWrongLength);
        }
        chaining_ = true;
        chainIns_ = c.ins;
        chain_.insert(chain_.end(), c.data.begin(), c.data.end());
        return withSw({}, kOk);
    }
    if (chaining_) {
        chaining_ = false;
        if (chainIns_ != c.ins) {
            chain_.clear();
            return withSw({}, kLastCommandExpected);
        }
        chain_.insert(chain_.end(), c.data.begin(), c.data.end());
        c.data.swap(chain_);
        chain_.clear();
    }
    Reply r = dispatch(c);
    if (c.ins == 0xC0) {
        // Already sized to Le; must not be queued again.
        return withSw(std::move(r.data), r.sw);
    }
    return shape(c, std::move(r));
}

VirtualCard::Reply VirtualCard::dispatch(const Command& c) {
    switch (c.ins) {
    case 0xA4:
        return select(c);
    case 0xB0:
    case 0xB1:
        return readBinary(c);
    case 0x20:
        return verify(c);
    case 0x24:
        return changeReference(c);
    case 0x2C:
        return resetRetryCounter(c);
    case 0xC0:
        return getResponse(c);
    case 0x22:
        return manageSecurityEnvironment(c);
    case 0x2A:
        return performSecurityOperation(c);
    case 0x88:
        return internalAuthenticate(c);
    case 0x84:
        return getChallenge(c);
    default:
        return Reply{{}, kInsNotSupported, false};
    }
}

// Fits the answer to Le, the card's response limit and the protocol.
Bytes VirtualCard::shape(const Command& c, Reply r) {
    if (r.data.empty()) {
        return withSw({}, r.sw);
    }
    const Behaviour& b = config_.behaviour;
    bool through61 = !c.hasLe || (r.deferred && (protocol_ == 0 || b.getResponseAlways));
    if (through61) {
        return announce(std::move(r.data));
    }
    std::size_t limit = std::min(c.le, b.maxResponse);
    if (r.data.size() <= limit) {
        return withSw(std::move(r.data), r.sw);
    }
    Bytes first(r.data.begin(), r.data.begin() + static_cast<std::ptrdiff_t>(limit));
    Bytes rest(r.data.begin() + static_cast<std::ptrdiff_t>(limit), r.data.end());
    Bytes out = announce(std::move(rest));
    out.insert(out.begin(), first.begin(), first.end());
    return out;
}

// Keeps data for GET RESPONSE and answers 61xx with the part announced.
Bytes VirtualCard::announce(Bytes data) {
    std::size_t n = std::min(data.size(), config_.behaviour.getResponsePiece);
    pending_ = std::move(data);
    return withSw({}, static_cast<std::uint16_t>(0x6100 | (n >= 256 ? 0 : n)));
}

VirtualCard::Reply VirtualCard::getResponse(const Command& c) {
    if (c.p1 != 0 || c.p2 != 0) {
        pending_.clear();
        return Reply{{}, kWrongP1P2, false};
    }
    if (!c.data.empty()) {
        pending_.clear();
        return Reply{{}, kWrongLength, false};
    }
    if (pending_.empty()) {
        return Reply{{}, kConditionsNotSatisfied, false};
    }
    std::size_t want = c.hasLe ? c.le : 256;
    std::size_t n = std::min({want, pending_.size(), config_.behaviour.maxResponse});
    Reply r;
    r.data.assign(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    if (pending_.empty()) {
        r.sw = kOk;
    } else {
        std::size_t next = std::min(pending_.size(), config_.behaviour.getResponsePiece);
        r.sw = static_cast<std::uint16_t>(0x6100 | (next >= 256 ? 0 : next));
    }
    return r;
}

FileNode* VirtualCard::childByFid(FileNode* df, std::uint16_t fid) const {
    for (auto& child : df->children) {
        if (child->fid == fid) {
            return child.get();
        }
    }
    return nullptr;
}

FileNode* VirtualCard::findByName(FileNode* df, const Bytes& name) const {
    if (df->isDf && !df->dfName.empty() && startsWith(df->dfName, name)) {
        return df;
    }
    for (auto& child : df->children) {
        if (child->isDf) {
            if (FileNode* hit = findByName(child.get(), name)) {
                return hit;
            }
        }
    }
    return nullptr;
}

// Follows file identifiers from a DF; every step but the last must be a DF.
FileNode* VirtualCard::walkPath(FileNode* start, const Bytes& path) const {
    FileNode* node = start;
    for (std::size_t i = 0; i < path.size(); i += 2) {
        if (!node->isDf) {
            return nullptr;
        }
        node = childByFid(node, static_cast<std::uint16_t>(path[i] << 8 | path[i + 1]));
        if (node == nullptr) {
            return nullptr;
        }
    }
    return node;
}

Bytes VirtualCard::fcp(const FileNode& f) const {
    Bytes v;
    if (!f.isDf) {
        std::size_t size = f.content.size();
        appendTlv(v, 0x80, {static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)});
    }
    appendTlv(v, 0x82, {static_cast<std::uint8_t>(f.isDf ? 0x38 : 0x01)});
    appendTlv(v, 0x83, {static_cast<std::uint8_t>(f.fid >> 8), static_cast<std::uint8_t>(f.fid)});
    if (f.isDf && !f.dfName.empty()) {
        appendTlv(v, 0x84, f.dfName);
    }
    if (!f.isDf && f.announceSfi) {
        appendTlv(v, 0x88, f.sfi ? Bytes{static_cast<std::uint8_t>(*f.sfi << 3)} : Bytes{});
    }
    appendTlv(v, 0x8A, {f.lifeCycle});
    if (!f.securityAttributes.empty()) {
        if (f.securityInA1) {
            Bytes inner;
            appendTlv(inner, 0x8C, f.securityAttributes);
            appendTlv(v, 0xA1, inner);
        } else {
            appendTlv(v, 0x8C, f.securityAttributes);
        }
    }
    if (!f.proprietaryA5.empty()) {
        appendTlv(v, 0xA5, f.proprietaryA5);
    }
    Bytes out;
    appendTlv(out, 0x62, v);
    return out;
}

VirtualCard::Reply VirtualCard::select(const Command& c) {
    const Bytes& d = c.data;
    bool wantFcp;
    if (c.p2 == 0x00 || c.p2 == 0x04) {
        wantFcp = true;
    } else if (c.p2 == 0x0C) {
        wantFcp = false;
    } else {
        return Reply{{}, kWrongP1P2, false};
    }
    bool isMf = d.size() == 2 && (d[0] << 8 | d[1]) == kMfId;
    FileNode* target = nullptr;
    switch (c.p1) {
    case 0x00:
        if (d.empty()) {
            target = config_.mf.get();
            break;
        }
        if (d.size() != 2) {
            return Reply{{}, kWrongLength, false};
        }
        if (isMf) {
            if (!config_.behaviour.selectMfP1_00) {
                return Reply{{}, kWrongP1P2, false};
            }
            target = config_.mf.get();
            break;
        } else {
            std::uint16_t fid = static_cast<std::uint16_t>(d[0] << 8 | d[1]);
            // The current DF itself, a child of it, its parent, or a sibling DF.
            if (currentDf_->fid == fid) {
                target = currentDf_;
            } else if ((target = childByFid(currentDf_, fid)) == nullptr && currentDf_->parent) {
                if (currentDf_->parent->fid == fid) {
                    target = currentDf_->parent;
                } else {
                    target = childByFid(currentDf_->parent, fid);
                    if (target != nullptr && !target->isDf) {
                        target = nullptr;
                    }
                }
            }
        }
        break;
    case 0x01:
    case 0x02:
        if (d.size() != 2) {
            return Reply{{}, kWrongLength, false};
        }
        if (c.p1 == 0x01 && isMf) {
            if (!config_.behaviour.selectMfP1_01) {
                return Reply{{}, kWrongP1P2, false};
            }
            target = config_.mf.get();
            break;
        }
        target = childByFid(currentDf_, static_cast<std::uint16_t>(d[0] << 8 | d[1]));
        if (target != nullptr && target->isDf != (c.p1 == 0x01)) {
            target = nullptr;
        }
        break;
    case 0x03:
        if (!d.empty()) {
            return Reply{{}, kWrongLength, false};
        }
        target = currentDf_->parent;
        break;
    case 0x04:
        if (d.empty() || d.size() > 16) {
            return Reply{{}, kWrongLength, false};
        }
        target = findByName(config_.mf.get(), d);
        break;
    case 0x08:
    case 0x09:
        if (d.empty() || d.size() % 2 != 0) {
            return Reply{{}, kWrongLength, false};
        }
        target = walkPath(c.p1 == 0x08 ? config_.mf.get() : currentDf_, d);
        break;
    default:
        return Reply{{}, kWrongP1P2, false};
    }
    if (target == nullptr) {
        return Reply{{}, kNotFound, false};
    }
    if (target->isDf) {
        currentDf_ = target;
        currentEf_ = nullptr;
    } else {
        currentDf_ = target->parent;
        currentEf_ = target;
    }
    Reply r;
    if (wantFcp) {
        r.data = fcp(*target);
        r.deferred = true;
    }
    return r;
}

VirtualCard::Reply VirtualCard::readBinary(const Command& c) {
    FileNode* ef = currentEf_;
    std::size_t offset = 0;
    if (c.ins == 0xB0) {
        if (!c.data.empty()) {
            return Reply{{}, kWrongLength, false};
        }
        if (c.p1 & 0x80) {
            if ((c.p1 & 0x60) != 0) {
                return Reply{{}, kWrongP1P2, false};
            }
            std::uint8_t sfi = c.p1 & 0x1F;
            ef = nullptr;
            for (auto& child : currentDf_->children) {
                if (!child->isDf && child->sfi && *child->sfi == sfi) {
                    ef = child.get();
                }
            }
            if (ef == nullptr) {
                return Reply{{}, kNotFound, false};
            }
            offset = c.p2;
        } else {
            offset = static_cast<std::size_t>(c.p1 << 8 | c.p2);
        }
    } else {
        std::uint16_t id = static_cast<std::uint16_t>(c.p1 << 8 | c.p2);
        if (id != 0) {
            ef = nullptr;
            for (auto& child : currentDf_->children) {
                bool hit = id < 0x1F ? (child->sfi && *child->sfi == id) : child->fid == id;
                if (!child->isDf && hit) {
                    ef = child.get();
                }
            }
            if (ef == nullptr) {
                return Reply{{}, kNotFound, false};
            }
        }
        // Offset data object 54 with one to three bytes.
        const Bytes& d = c.data;
        if (d.size() < 3 || d[0] != 0x54 || d[1] < 1 || d[1] > 3 ||
            d.size() != static_cast<std::size_t>(2 + d[1])) {
            return Reply{{}, kWrongData, false};
        }
        for (std::size_t i = 2; i < d.size(); ++i) {
            offset = offset << 8 | d[i];
        }
    }
    if (ef == nullptr) {
        return Reply{{}, kNotAllowedNoEf, false};
    }
    if (ef->readPin) {
        PinState* p = pin(*ef->readPin);
        if (p == nullptr || !p->verified) {
            return Reply{{}, kSecurityNotSatisfied, false};
        }
    }
    currentEf_ = ef;
    currentDf_ = ef->parent;
    if (offset >= ef->content.size()) {
        return Reply{{}, kOffsetOutside, false};
    }
    std::size_t available = ef->content.size() - offset;
    std::size_t want = c.hasLe ? c.le : 256;
    std::size_t n = std::min({want, available, config_.behaviour.maxResponse});
    bool wrap = c.ins == 0xB1 && config_.behaviour.wrapOddRead;
    while (wrap && n > 0 && n + tlvHeaderSize(n) > want) {
        --n;
    }
    Reply r;
    Bytes part(ef->content.begin() + static_cast<std::ptrdiff_t>(offset),
               ef->content.begin() + static_cast<std::ptrdiff_t>(offset + n));
    if (wrap) {
        appendTlv(r.data, 0x53, part);
    } else {
        r.data = std::move(part);
    }
    r.sw = (available < want && n == available) ? kEndOfFile : kOk;
    return r;
}

VirtualCard::PinState* VirtualCard::pin(std::uint8_t reference) {
    for (PinState& p : pins_) {
        if (p.config.reference == reference) {
            return &p;
        }
    }
    return nullptr;
}

// Compares a presented value, keeping the try counter and verified state.
VirtualCard::Reply VirtualCard::checkPin(PinState& p, const Bytes& candidate, bool markVerified) {
    if (p.config.tries <= 0) {
        return Reply{{}, kBlocked, false};
    }
    if (candidate != p.config.value) {
        --p.config.tries;
        p.verified = false;
        return Reply{{}, triesWord(p.config.tries), false};
    }
    p.config.tries = p.config.maxTries;
    p.verified = p.verified || markVerified;
    return Reply{};
}

VirtualCard::Reply VirtualCard::verify(const Command& c) {
    if (c.p1 != 0x00 && c.p1 != 0xFF) {
        return Reply{{}, kWrongP1P2, false};
    }
    PinState* p = pin(c.p2);
    if (p == nullptr) {
        return Reply{{}, kRefNotFound, false};
    }
    if (c.p1 == 0xFF) {
        if (!c.data.empty()) {
            return Reply{{}, kWrongLength, false};
        }
        p->verified = false;
        return Reply{};
    }
    if (c.data.empty()) {
        if (p->config.tries <= 0) {
            return Reply{{}, kBlocked, false};
        }
        if (p->verified) {
            return Reply{};
        }
        return Reply{{}, triesWord(p->config.tries), false};
    }
    return checkPin(*p, c.data, true);
}

VirtualCard::Reply VirtualCard::changeReference(const Command& c) {
    if (c.p1 != 0x00 && c.p1 != 0x01) {
        return Reply{{}, kWrongP1P2, false};
    }
    PinState* p = pin(c.p2);
    if (p == nullptr) {
        return Reply{{}, kRefNotFound, false};
    }
    if (p->config.tries <= 0) {
        return Reply{{}, kBlocked, false};
    }
    Bytes fresh;
    if (c.p1 == 0x00) {
        std::size_t oldLen = p->config.value.size();
        if (c.data.size() <= oldLen) {
            return Reply{{}, kWrongLength, false};
        }
        Bytes old(c.data.begin(), c.data.begin() + static_cast<std::ptrdiff_t>(oldLen));
        fresh.assign(c.data.begin() + static_cast<std::ptrdiff_t>(oldLen), c.data.end());
        if (fresh.size() < p->config.minLength || fresh.size() > p->config.maxLength) {
            return Reply{{}, kWrongData, false};
        }
        Reply r = checkPin(*p, old, true);
        if (r.sw != kOk) {
            return r;
        }
    } else {
        if (!p->verified) {
            return Reply{{}, kSecurityNotSatisfied, false};
        }
        fresh = c.data;
        if (fresh.size() < p->config.minLength || fresh.size() > p->config.maxLength) {
            return Reply{{}, c.data.empty() ? kWrongLength : kWrongData, false};
        }
    }
    p->config.value = fresh;
    p->config.tries = p->config.maxTries;
    p->verified = true;
    return Reply{};
}

VirtualCard::Reply VirtualCard::resetRetryCounter(const Command& c) {
    if (c.p1 > 0x02) {
        return Reply{{}, kWrongP1P2, false};
    }
    PinState* p = pin(c.p2);
    if (p == nullptr) {
        return Reply{{}, kRefNotFound, false};
    }
    PinState* puk = p->config.unblockedBy ? pin(*p->config.unblockedBy) : nullptr;
    if (puk == nullptr) {
        return Reply{{}, kConditionsNotSatisfied, false};
    }
    Bytes fresh;
    bool setValue = c.p1 != 0x01;
    if (c.p1 == 0x02) {
        if (!puk->verified) {
            return Reply{{}, kSecurityNotSatisfied, false};
        }
        fresh = c.data;
    } else {
        std::size_t pukLen = puk->config.value.size();
        if (c.data.size() < pukLen || (c.p1 == 0x00 && c.data.size() == pukLen) ||
            (c.p1 == 0x01 && c.data.size() != pukLen)) {
            return Reply{{}, kWrongLength, false};
        }
        fresh.assign(c.data.begin() + static_cast<std::ptrdiff_t>(pukLen), c.data.end());
        if (setValue &&
            (fresh.size() < p->config.minLength || fresh.size() > p->config.maxLength)) {
            return Reply{{}, kWrongData, false};
        }
        Reply r = checkPin(
            *puk, Bytes(c.data.begin(), c.data.begin() + static_cast<std::ptrdiff_t>(pukLen)),
            false);
        if (r.sw != kOk) {
            return r;
        }
    }
    if (setValue) {
        if (fresh.size() < p->config.minLength || fresh.size() > p->config.maxLength) {
            return Reply{{}, fresh.empty() ? kWrongLength : kWrongData, false};
        }
        p->config.value = fresh;
    }
    p->config.tries = p->config.maxTries;
    p->verified = false;
    return Reply{};
}

} // namespace vcard
