#include "core/meta/FactsModule.h"

#include <filesystem>

#include "core/base/AppDir.h"

namespace brindle
{

FactsModule::FactsModule(const std::string& path)
    : m_library(path)
{
    if (!m_library.valid()) {
        m_error = m_library.error();
        return;
    }
    BrindleFactsModuleEntry entry = nullptr;
    if (!m_library.resolve(kFactsModuleEntryName, entry)) {
        m_error = m_library.error();
        return;
    }
    const BrindleFactsModule* module = entry(kFactsModuleInterface);
    if (!module || module->interfaceVersion != kFactsModuleInterface || module->factsSize != sizeof(FileFacts)
        || !module->readContent) {
        m_error = path + ": the module was built for another version of the program";
        return;
    }
    m_module = module;
}

void FactsModule::readContent(int fd, ContentKind kind, FileFacts& facts) const
{
    if (!m_module) {
        facts.problem = std::string(kFactsUnavailable) + m_error;
        return;
    }
    m_module->readContent(fd, static_cast<int>(kind), &facts);
}

std::string FactsModule::installedPath()
{
    const std::filesystem::path path = getAppDir() + BRINDLE_FACTS_MODULE_DIR "/" + kFactsModuleFileName;
    return path.lexically_normal().string();
}

const FactsModule& FactsModule::installed()
{
    // Never unloaded: a worker may still be reading a file while the program ends.
    static const FactsModule* const module = new FactsModule(installedPath());
    return *module;
}

} // namespace brindle
