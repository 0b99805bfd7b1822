#include "core/base/SharedLibrary.h"

#include <dlfcn.h>

namespace brindle
{

namespace
{

std::string lastLoaderError(const char* fallback)
{
    const char* text = ::dlerror();
    return text ? text : fallback;
}

} // namespace

SharedLibrary::SharedLibrary(const std::string& nameOrPath)
{
    // Immediate binding: a library that does not fit fails here, not at its first call.
    m_handle = ::dlopen(nameOrPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle)
        m_error = lastLoaderError("cannot be loaded");
}

SharedLibrary::~SharedLibrary()
{
    if (m_handle)
        ::dlclose(m_handle);
}

void* SharedLibrary::symbol(const char* name)
{
    if (!m_handle)
        return nullptr;
    ::dlerror();
    void* address = ::dlsym(m_handle, name);
    if (!address)
        m_error = lastLoaderError("symbol not found");
    return address;
}

} // namespace brindle
