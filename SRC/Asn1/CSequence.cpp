#include "Asn1/CSequence.h"

#include "Asn1/CExplicitTag.h"
#include "Asn1/DerMessages.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

namespace IASSCU {

namespace {
using ZAZ::fail;

bool matches(const CSequence::Member& m, const CDerOctet& child) {
    return m.tagClass < 0 || (child.tagClass() == static_cast<unsigned int>(m.tagClass) &&
                              child.tagNumber() == m.tagNumber);
}
} // namespace

CSequence::CSequence() : CDerOctet(0, true, 16) {}

CSequence::CSequence(const CDerOctet& element) : CSequence(16, &element) {}

CSequence::CSequence(unsigned int universalTag, const CDerOctet* element)
    : CDerOctet(element != nullptr ? CDerOctet(*element) : CDerOctet(0, true, universalTag)) {
    if (element != nullptr) {
        checkView(true, {universalTag}, static_cast<int>(universalTag));
    }
}

void CSequence::addMember(const std::string& name, std::int32_t tagClass, std::uint32_t tagNumber,
                          std::uint32_t flags, const CDerOctet* defaultValue) {
    if (m_template.empty()) {
        m_template.reserve(8); // most tables have up to 8 members: grow once at most
    }
    m_template.push_back(
        Member{name, CDerOctet::defaultElement(), tagClass, tagNumber, flags, defaultValue});
}

void CSequence::addMembers(const Template& members) {
    if (m_template.empty()) {
        m_template = members;
    } else {
        m_template.insert(m_template.end(), members.begin(), members.end());
    }
}

const CSequence::Member& CSequence::find(const char* name) const {
    for (const Member& m : m_template) {
        if (m.name == name) {
            return m;
        }
    }
    fail(ZAZ::Msg::kIllegalParameter);
}

const CDerOctet& CSequence::member(const char* name) const {
    return find(name).slot;
}

bool CSequence::isPresent(const char* name) const {
    return find(name).slot != CDerOctet::defaultElement();
}

void CSequence::setMember(const char* name, const CDerOctet& element) {
    const_cast<Member&>(find(name)).slot = element;
}

void CSequence::match() {
    const std::vector<CDerOctet*>& list = children();
    std::vector<CDerOctet> slots;
    slots.reserve(m_template.size());
    std::size_t cursor = 0;
    for (const Member& m : m_template) {
        if (cursor < list.size() && matches(m, *list[cursor])) {
            const CDerOctet& child = *list[cursor];
            if ((m.flags & Explicit) != 0) {
                if (!child.isConstructed() || child.children().size() != 1) {
                    fail(ZAZ::Msg::kDecodingError);
                }
                slots.push_back(*child.children().front());
            } else {
                slots.push_back(child);
            }
            ++cursor;
        } else if (m.defaultValue != nullptr) {
            slots.push_back(*m.defaultValue);
        } else if ((m.flags & Optional) == 0) {
            fail(Msg::kMandatoryMissing);
        } else {
            slots.push_back(CDerOctet::defaultElement());
        }
    }
    // Only a complete match replaces the slots.
    for (std::size_t i = 0; i < m_template.size(); ++i) {
        std::swap(m_template[i].slot, slots[i]);
    }
}

void CSequence::assemble() {
    assembleChildren(false);
}

void CSequence::assembleChildren(bool byTag) {
    // Check first, so that a refused member leaves the children as they were.
    for (const Member& m : m_template) {
        if ((m.flags & Optional) == 0 && m.defaultValue == nullptr &&
            m.slot == CDerOctet::defaultElement()) {
            fail(Msg::kMandatoryMissing);
        }
    }
    clearChildren();
    for (const Member& m : m_template) {
        if (m.slot == CDerOctet::defaultElement() ||
            (m.defaultValue != nullptr && m.slot == *m.defaultValue)) {
            continue;
        }
        const auto cls = static_cast<unsigned int>(m.tagClass);
        if ((m.flags & Explicit) != 0) {
            const CExplicitTag wrapped(cls, m.tagNumber, m.slot);
            byTag ? insertByTag(wrapped) : addChild(wrapped);
        } else if ((m.flags & Implicit) != 0) {
            CDerOctet retagged(m.slot);
            retagged.setTag(cls, m.tagNumber);
            byTag ? insertByTag(retagged) : addChild(retagged);
        } else {
            byTag ? insertByTag(m.slot) : addChild(m.slot);
        }
    }
}

} // namespace IASSCU
