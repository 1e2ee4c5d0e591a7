// The PKCS#11 (Cryptoki 2.40) declarations of p11-kit's header, in their
// usual CK_ names.
#ifndef PKCS11_CRYPTOKI_H
#define PKCS11_CRYPTOKI_H

#include <p11-kit/pkcs11.h>

#endif
