#pragma once

#include <string>

#include "core/base/SharedLibrary.h"
#include "core/meta/ContentKind.h"
#include "core/meta/FactsModuleInterface.h"

namespace brindle
{

/// The file facts module (see FactsModuleInterface.h), loaded from a path and checked: a file
/// that is missing, is no module, or was built for another interface is not used, and every
/// file whose contents are asked for then says why in its problem.
class FactsModule
{
public:
    explicit FactsModule(const std::string& path);

    bool loaded() const { return m_module != nullptr; }
    /// Why the module could not be used; empty when it is loaded.
    const std::string& error() const { return m_error; }

    /// Adds the metadata of the regular file open as fd, of the kind its first bytes say, to
    /// facts; without the module, facts.problem says "file facts cannot be read: " and why.
    void readContent(int fd, ContentKind kind, FileFacts& facts) const;

    /// The module installed with the program: below the folder of the running executable, at
    /// the path from the programs' folder to the module's that the build fixes (the same in the
    /// build tree and in an installation). Loaded on the first call, kept until the process ends.
    static const FactsModule& installed();
    static std::string installedPath();

private:
    SharedLibrary m_library;
    const BrindleFactsModule* m_module = nullptr;
    std::string m_error;
};

} // namespace brindle
