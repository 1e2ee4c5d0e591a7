#include <ias/CCiaPath.h>

#include "Api/Facade/Facade.h"
#include "Fci/CCiaPath.h"

namespace ias {

CCiaPath::CCiaPath() : m_impl(MakeOwned<IAS::CCiaPath>()) {}

CCiaPath::CCiaPath(const CBlob& der) : m_impl(MakeOwned<IAS::CCiaPath>(ZAZ::ByteVector(der))) {}

CCiaPath::CCiaPath(const IAS::CCiaPath& path) : m_impl(MakeOwned<IAS::CCiaPath>(path)) {}

CCiaPath& CCiaPath::operator=(const IAS::CCiaPath& path) {
    Guarded([&] { *m_impl = path; });
    return *this;
}

CCiaPath::~CCiaPath() = default;

CCiaPath::operator IAS::CCiaPath() const {
    return Guarded([&] { return IAS::CCiaPath(*m_impl); });
}

CBlob CCiaPath::aid() const {
    return Read<CBlob>(*m_impl, &IAS::CCiaPath::aid);
}

CBlob CCiaPath::efidOrPath() const {
    return Read<CBlob>(*m_impl, &IAS::CCiaPath::efidOrPath);
}

int CCiaPath::index() const {
    return Read<int>(*m_impl, &IAS::CCiaPath::index);
}

int CCiaPath::length() const {
    return Read<int>(*m_impl, &IAS::CCiaPath::length);
}

void CCiaPath::setAid(const CBlob& aid) {
    Guarded([&] { m_impl->setAid(ZAZ::ByteVector(aid)); });
}

void CCiaPath::setEfidOrPath(const CBlob& efidOrPath) {
    Guarded([&] { m_impl->setEfidOrPath(ZAZ::ByteVector(efidOrPath)); });
}

void CCiaPath::setIndex(int index) {
    Guarded([&] { m_impl->setIndex(index); });
}

void CCiaPath::setLength(int length) {
    Guarded([&] { m_impl->setLength(length); });
}

bool CCiaPath::isNull() const {
    return Read<bool>(*m_impl, &IAS::CCiaPath::isNull);
}

bool CCiaPath::operator==(const CCiaPath& other) const {
    return Guarded([&] { return *m_impl == *other.m_impl; });
}

CCiaPath CCiaPath::parent() const {
    return Guarded([&] { return CCiaPath(m_impl->parent()); });
}

CCiaPath CCiaPath::operator+(const CCiaPath& other) const {
    return Guarded([&] { return CCiaPath(*m_impl + *other.m_impl); });
}

CCiaPath& CCiaPath::operator+=(const CCiaPath& other) {
    Guarded([&] { *m_impl += *other.m_impl; });
    return *this;
}

CCiaPath CCiaPath::relativeToDF(const CCiaPath& df) const {
    return Guarded([&] { return CCiaPath(m_impl->relativeToDF(*df.m_impl)); });
}

CCiaPath CCiaPath::relativeToEF(const CCiaPath& ef) const {
    return Guarded([&] { return CCiaPath(m_impl->relativeToEF(*ef.m_impl)); });
}

} // namespace ias
