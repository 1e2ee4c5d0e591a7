#ifndef ASN1_CSEQUENCE_H
#define ASN1_CSEQUENCE_H

#include "Asn1/CDerOctet.h"

#include <cstdint>
#include <string>
#include <vector>

namespace IASSCU {

/// A SEQUENCE matched against a table of named members. Decoding distributes
/// the children over the members (match); encoding rebuilds the children from
/// the members (assemble).
class CSequence : public CDerOctet {
public:
    enum MemberFlags : std::uint32_t { Implicit = 0x01, Explicit = 0x02, Optional = 0x04 };

    struct Member {
        std::string name;
        CDerOctet slot;
        std::int32_t tagClass;
        std::uint32_t tagNumber;
        std::uint32_t flags;
        /// The DEFAULT value, or null. Points at storage that outlives every table.
        const CDerOctet* defaultValue;
    };
    using Template = std::vector<Member>;

    CSequence();
    /// A view of `element`: constructed, universal 16 or implicitly tagged.
    explicit CSequence(const CDerOctet& element);

    void addMember(const std::string& name, std::int32_t tagClass, std::uint32_t tagNumber,
                   std::uint32_t flags, const CDerOctet* defaultValue = nullptr);
    /// Appends a copy of every entry of `members`, in order.
    void addMembers(const Template& members);
    /// Names are taken as C strings so that the many lookups by literal
    /// build no string; a std::string converts with c_str().
    const CDerOctet& member(const char* name) const;
    const CDerOctet& member(const std::string& name) const { return member(name.c_str()); }
    /// Whether the named slot holds something other than the absent marker.
    bool isPresent(const char* name) const;
    bool isPresent(const std::string& name) const { return isPresent(name.c_str()); }
    void setMember(const char* name, const CDerOctet& element);
    void setMember(const std::string& name, const CDerOctet& element) {
        setMember(name.c_str(), element);
    }
    const Template& members() const { return m_template; }

    void match();
    /// Virtual so that a CSet reached through a CSequence& still writes SET order.
    virtual void assemble();

protected:
    CSequence(unsigned int universalTag, const CDerOctet* element);
    void assembleChildren(bool byTag);

private:
    const Member& find(const char* name) const;

    Template m_template;
};

} // namespace IASSCU

#endif
