#include "Recognition/CSharedMarker.h"

#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"
#include "Zaz/SemaphoreLock.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cstring>

namespace IAS {

namespace {
constexpr long kRandomSize = 8;
constexpr long kCounterOffsets[] = {8, 16, 24};
} // namespace

CSharedMarker::CSharedMarker(const std::string& readerName)
    : m_semaphore("SHMARKER_SEM_" + readerName) {
    ZAZ::SemaphoreLock hold(&m_semaphore);
    const std::string name = "SHMARKER_MAP_" + readerName;
    m_segment.Connect(name, kSize);
    // Created, not "absent a moment ago": a process that found no segment
    // and then joined another's must not rewrite it under its users.
    if (!m_segment.Created()) {
        return; // another process set it up; it is not ours to rewrite
    }
    unsigned char* data = m_segment.GetBuffer(0);
    if (m_segment.GetBuffer(kSize - 1) == nullptr) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError); // mapped short
    }
    if (RAND_bytes(data, kRandomSize) != 1) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError);
    }
    for (long offset : kCounterOffsets) {
        const std::uint32_t one = 1;
        const std::uint32_t zero = 0;
        std::memcpy(data + offset, &one, sizeof one);
        std::memcpy(data + offset + 4, &zero, sizeof zero);
    }
    checkValue(data, data + kCheckOffset);
}

void CSharedMarker::checkValue(const unsigned char* data, unsigned char out[4]) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(data, static_cast<std::size_t>(kCheckOffset), digest, &length, EVP_md5(),
                   nullptr) != 1) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError);
    }
    std::memcpy(out, digest, 4);
}

} // namespace IAS
