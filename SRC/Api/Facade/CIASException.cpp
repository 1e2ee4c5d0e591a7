#include <ias/CIASException.h>

#include <cstring>
#include <new>

namespace ias {
namespace {
const char kInvalidMessage[] = "Invalid error message";

char* duplicate(const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    const std::size_t n = std::strlen(text) + 1;
    char* copy = new char[n];
    std::memcpy(copy, text, n);
    return copy;
}
} // namespace

CIASException::CIASException(ErrorClass errorClass, unsigned long error, const char* description,
                             unsigned int sw)
    : m_errorClass(errorClass), m_error(error), m_sw(sw),
      m_description(duplicate(description != nullptr ? description : kInvalidMessage)) {}

CIASException::CIASException(const CIASException& other)
    : m_errorClass(other.m_errorClass), m_error(other.m_error), m_sw(other.m_sw),
      m_description(duplicate(other.m_description)) {}

CIASException& CIASException::operator=(const CIASException& other) {
    if (this != &other) {
        char* copy = duplicate(other.m_description);
        delete[] m_description;
        m_description = copy;
        m_errorClass = other.m_errorClass;
        m_error = other.m_error;
        m_sw = other.m_sw;
    }
    return *this;
}

CIASException::~CIASException() {
    delete[] m_description;
}

CIASException::ErrorClass CIASException::errorClass() const {
    return m_errorClass;
}
unsigned long CIASException::error() const {
    return m_error;
}
unsigned int CIASException::sw() const {
    return m_sw;
}
const char* CIASException::descriptionA() const {
    return m_description;
}

void CIASException::raise() const {
    throw CIASException(*this);
}

CIASException* CIASException::clone() const {
    return new CIASException(*this);
}

} // namespace ias
