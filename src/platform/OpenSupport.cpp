#include "platform/OpenSupport.h"

#include <utility>

namespace platform {

Handle::Handle(std::intptr_t value, QString path)
    : m_value(value)
    , m_path(std::move(path))
{
}

Handle::~Handle()
{
    close();
}

Handle::Handle(Handle&& other) noexcept
    : m_value(std::exchange(other.m_value, -1))
    , m_path(std::move(other.m_path))
{
}

Handle& Handle::operator=(Handle&& other) noexcept
{
    if (this != &other) {
        close();
        m_value = std::exchange(other.m_value, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

} // namespace platform
