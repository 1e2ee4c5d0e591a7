#include <ias/CBlob.h>

#include "Api/Facade/Facade.h"
#include "Zaz/ByteVector.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Cast.h"
#include "Zaz/Messages.h"

#include <openssl/crypto.h>

#include <cstdio>
#include <cstring>
#include <new>

namespace ias {
namespace {
constexpr unsigned int kMaxCreateLength = 0x2FF;

void checkCreateLength(unsigned long n) {
    if (n > kMaxCreateLength) {
        throw std::bad_alloc();
    }
}
} // namespace

class CBlob::Impl {
public:
    Impl() = default;
    Impl(const unsigned char* p, unsigned int n) { assign(p, n); }
    Impl(const Impl& other) { assign(other.bytes, other.length); }
    Impl& operator=(const Impl&) = delete;
    ~Impl() { release(); }

    void assign(const unsigned char* p, unsigned int n) {
        unsigned char* fresh = n > 0 ? new unsigned char[n] : nullptr;
        if (n > 0) {
            std::memcpy(fresh, p, n);
        }
        release();
        bytes = fresh;
        length = n;
    }

    void append(const unsigned char* p, unsigned int n) {
        if (n == 0) {
            return;
        }
        if (n > 0xFFFFFFFFu - length) {
            throw std::bad_alloc();
        }
        auto* fresh = new unsigned char[length + n];
        if (length > 0) {
            std::memcpy(fresh, bytes, length);
        }
        std::memcpy(fresh + length, p, n);
        const unsigned int total = length + n;
        release();
        bytes = fresh;
        length = total;
    }

    void release() noexcept {
        if (bytes != nullptr) {
            OPENSSL_cleanse(bytes, length);
            delete[] bytes;
        }
        bytes = nullptr;
        length = 0;
    }

    unsigned char* bytes = nullptr;
    unsigned int length = 0;
};

CBlob::CBlob() : m_impl(MakeOwned<Impl>()) {}

CBlob::CBlob(unsigned int n, const char& c) {
    checkCreateLength(n);
    m_impl = MakeOwned<Impl>();
    if (n > 0) {
        m_impl->bytes = new unsigned char[n];
        m_impl->length = n;
        std::memset(m_impl->bytes, static_cast<unsigned char>(c), n);
    }
}

CBlob::CBlob(const unsigned char* p, unsigned int n) {
    Guarded([&] {
        if (p == nullptr) {
            throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
        }
        const std::size_t count = n != 0 ? n : std::strlen(reinterpret_cast<const char*>(p));
        // The limit is on the given or measured length; the terminator may make 768.
        checkCreateLength(count);
        auto* impl = new Impl;
        impl->bytes = new unsigned char[count + 1];
        impl->length = static_cast<unsigned int>(count + 1);
        std::memcpy(impl->bytes, p, count);
        impl->bytes[count] = 0;
        m_impl.reset(impl);
    });
}

CBlob::CBlob(const std::string& s) {
    checkCreateLength(s.size());
    m_impl = MakeOwned<Impl>(reinterpret_cast<const unsigned char*>(s.data()),
                             static_cast<unsigned int>(s.size()));
}

CBlob::~CBlob() = default;

unsigned int CBlob::size() const {
    return m_impl->length;
}
unsigned int CBlob::length() const {
    return m_impl->length;
}

unsigned char& CBlob::operator[](unsigned int i) {
    return Guarded([&]() -> unsigned char& {
        if (i >= m_impl->length) {
            throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
        }
        return m_impl->bytes[i];
    });
}

const unsigned char& CBlob::operator[](unsigned int i) const {
    return Guarded([&]() -> const unsigned char& {
        if (i >= m_impl->length) {
            throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
        }
        return m_impl->bytes[i];
    });
}

CBlob& CBlob::operator+=(const CBlob& other) {
    if (this == &other) {
        const CBlob copy(other);
        m_impl->append(copy.m_impl->bytes, copy.m_impl->length);
    } else {
        m_impl->append(other.m_impl->bytes, other.m_impl->length);
    }
    return *this;
}

bool CBlob::operator==(const CBlob& other) const {
    return m_impl->length == other.m_impl->length &&
           (m_impl->length == 0 ||
            std::memcmp(m_impl->bytes, other.m_impl->bytes, m_impl->length) == 0);
}

CBlob CBlob::substr(unsigned int offset, unsigned int count) const {
    return Guarded([&] {
        checkCreateLength(count);
        if (offset > m_impl->length || count > m_impl->length - offset) {
            throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
        }
        CBlob out;
        out.m_impl->assign(m_impl->bytes + offset, count);
        return out;
    });
}

CBlob::operator ZAZ::ByteVector() const {
    return Guarded([&] {
        const auto n = ZAZ::Cast<std::int32_t>(m_impl->length);
        return ZAZ::ByteVector(
            m_impl->bytes, n,
            n > ZAZ::ByteVector::kDefaultCapacity ? n : ZAZ::ByteVector::kDefaultCapacity);
    });
}

const unsigned char* CBlob::data() const {
    return m_impl->bytes;
}

CBlob _HB(const char* hex) {
    return Guarded([&] {
        if (hex == nullptr) {
            throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
        }
        CBlob out;
        const std::size_t total = std::strlen(hex);
        std::size_t i = 0;
        while (i < total) {
            if (hex[i] == ' ') {
                ++i;
                continue;
            }
            if (total - i < 2) {
                break; // a lone final character is ignored
            }
            // Scanned in place, so "%2X" skips white space (tab, newline) and
            // reads its digits from the text itself, not from a two-character copy.
            unsigned int value = 0;
            if (std::sscanf(hex + i, "%2X", &value) != 1) {
                throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
            }
            const unsigned char byte = static_cast<unsigned char>(value);
            out.m_impl->append(&byte, 1);
            i += 2;
        }
        return out;
    });
}

CBlob _HB(std::string hex) {
    return _HB(hex.c_str());
}

std::string _HB(const CBlob& blob) {
    return ZAZ::ByteVector::ToHex(blob.data(), blob.size());
}

std::string AsString(const CBlob& blob) {
    return _HB(blob);
}

} // namespace ias
