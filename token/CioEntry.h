// One element of a CIO directory file: the library's object when it decodes
// the kind, and in every case what a bounded read of the element gives.
#ifndef TOKEN_CIOENTRY_H
#define TOKEN_CIOENTRY_H

#include "token/Bytes.h"

#include <ias/CCioObject.h>

#include <memory>
#include <string>

namespace token {

struct CioEntry {
    int fileChoice = -1;    ///< EF.OD choice of the file holding it
    std::size_t file = 0;   ///< index of that file in Token::files()
    std::size_t offset = 0; ///< of the element in the file
    int choice = 0;         ///< CioKinds element choice
    std::string kind;       ///< CioKinds::kindName
    Bytes der;              ///< the whole element
    /// Common attributes read without the library: present whenever the
    /// element holds them, decoded or not.
    Bytes label, id, authId;
    /// The library's object, or null: a kind it does not decode, or an
    /// element it refused (then `error` holds its message).
    const ias::CCioObject* object = nullptr;
    std::string error;

    /// `object` as the class T, or null.
    template <class T> const T* as() const { return dynamic_cast<const T*>(object); }

    /// Keeps the library reader that owns `object` alive with the entry.
    std::shared_ptr<const void> owner;
};

} // namespace token

#endif
