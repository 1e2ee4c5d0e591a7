#include "Attributes.h"

#include <algorithm>
#include <cstring>

namespace p11 {

void Attributes::set(CK_ATTRIBUTE_TYPE type, const std::string& text) {
    m_values[type] = Value(text.begin(), text.end());
}

void Attributes::setBool(CK_ATTRIBUTE_TYPE type, bool b) {
    m_values[type] = Value{static_cast<unsigned char>(b ? CK_TRUE : CK_FALSE)};
}

void Attributes::setUlong(CK_ATTRIBUTE_TYPE type, CK_ULONG v) {
    Value bytes(sizeof v);
    std::memcpy(bytes.data(), &v, sizeof v);
    m_values[type] = bytes;
}

const Value* Attributes::find(CK_ATTRIBUTE_TYPE type) const {
    const auto it = m_values.find(type);
    return it == m_values.end() ? nullptr : &it->second;
}

bool Attributes::isSensitive(CK_ATTRIBUTE_TYPE type) const {
    return std::find(m_sensitive.begin(), m_sensitive.end(), type) != m_sensitive.end();
}

CK_RV Attributes::get(CK_ATTRIBUTE_PTR tmpl, CK_ULONG count) const {
    CK_RV rv = CKR_OK;
    for (CK_ULONG i = 0; i < count; ++i) {
        CK_ATTRIBUTE& a = tmpl[i];
        if (isSensitive(a.type)) {
            a.ulValueLen = CK_UNAVAILABLE_INFORMATION;
            rv = CKR_ATTRIBUTE_SENSITIVE;
            continue;
        }
        const Value* v = find(a.type);
        if (!v) {
            a.ulValueLen = CK_UNAVAILABLE_INFORMATION;
            rv = rv == CKR_OK ? CKR_ATTRIBUTE_TYPE_INVALID : rv;
            continue;
        }
        if (a.pValue == nullptr) {
            a.ulValueLen = v->size();
        } else if (a.ulValueLen < v->size()) {
            a.ulValueLen = CK_UNAVAILABLE_INFORMATION;
            rv = rv == CKR_OK ? CKR_BUFFER_TOO_SMALL : rv;
        } else {
            if (!v->empty()) {
                std::memcpy(a.pValue, v->data(), v->size());
            }
            a.ulValueLen = v->size();
        }
    }
    return rv;
}

bool Attributes::matches(CK_ATTRIBUTE_PTR tmpl, CK_ULONG count) const {
    for (CK_ULONG i = 0; i < count; ++i) {
        const Value* v = find(tmpl[i].type);
        if (!v || isSensitive(tmpl[i].type) || v->size() != tmpl[i].ulValueLen ||
            (!v->empty() && std::memcmp(v->data(), tmpl[i].pValue, v->size()) != 0)) {
            return false;
        }
    }
    return true;
}

} // namespace p11
