// The attributes of one PKCS#11 object: values as the standard encodes them
// (CK_ULONG and CK_BBOOL in host form, byte strings as they stand).
#ifndef PKCS11_ATTRIBUTES_H
#define PKCS11_ATTRIBUTES_H

#include "Cryptoki.h"

#include <map>
#include <string>
#include <vector>

namespace p11 {

using Value = std::vector<unsigned char>;

class Attributes {
public:
    void set(CK_ATTRIBUTE_TYPE type, const Value& v) { m_values[type] = v; }
    void erase(CK_ATTRIBUTE_TYPE type) { m_values.erase(type); }
    void set(CK_ATTRIBUTE_TYPE type, const std::string& text);
    void setBool(CK_ATTRIBUTE_TYPE type, bool b);
    void setUlong(CK_ATTRIBUTE_TYPE type, CK_ULONG v);
    /// Marks an attribute the object has but never reveals (private key parts).
    void setSensitive(CK_ATTRIBUTE_TYPE type) { m_sensitive.push_back(type); }

    bool has(CK_ATTRIBUTE_TYPE type) const { return m_values.count(type) != 0; }
    const Value* find(CK_ATTRIBUTE_TYPE type) const;
    bool isSensitive(CK_ATTRIBUTE_TYPE type) const;

    /// C_GetAttributeValue over `count` entries of `tmpl`: each entry is
    /// answered (length query, copy, or CK_UNAVAILABLE_INFORMATION), and the
    /// result is CKR_OK or the standard's error for the entries that failed.
    CK_RV get(CK_ATTRIBUTE_PTR tmpl, CK_ULONG count) const;
    /// True when every entry of the template equals this object's value.
    bool matches(CK_ATTRIBUTE_PTR tmpl, CK_ULONG count) const;

private:
    std::map<CK_ATTRIBUTE_TYPE, Value> m_values;
    std::vector<CK_ATTRIBUTE_TYPE> m_sensitive;
};

} // namespace p11

#endif
