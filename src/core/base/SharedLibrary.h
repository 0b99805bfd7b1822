#pragma once

#include <string>

namespace brindle
{

/// A shared library opened with dlopen, closed when the object goes. The core opens the
/// libraries that only some jobs need (ICU, libxml2, the file facts module) this way, on first
/// need, so that a start that needs none of them does not pay for loading them.
class SharedLibrary
{
public:
    /// Opens nameOrPath (a soname looked up as the loader does, or a path) with immediate
    /// binding; on failure valid() is false and error() says why.
    explicit SharedLibrary(const std::string& nameOrPath);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool valid() const { return m_handle != nullptr; }
    /// The loader's reason for the last failure (dlerror), empty when there was none.
    const std::string& error() const { return m_error; }

    /// The address of the symbol name, or null (and error() says why).
    void* symbol(const char* name);

    /// Sets fn to the function name; false (error() says why) when the library lacks it.
    template <typename Fn> bool resolve(const char* name, Fn*& fn)
    {
        fn = reinterpret_cast<Fn*>(symbol(name));
        return fn != nullptr;
    }

private:
    void* m_handle = nullptr;
    std::string m_error;
};

} // namespace brindle
