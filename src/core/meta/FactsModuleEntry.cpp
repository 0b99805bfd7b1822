// The entry point of the file facts module: the readers of ContentReaders.h behind the table
// of FactsModuleInterface.h.

#include <exception>

#include "core/meta/ContentKind.h"
#include "core/meta/ContentReaders.h"
#include "core/meta/FactsModuleInterface.h"

namespace brindle
{

std::string descriptorPath(int fd)
{
    return "/proc/self/fd/" + std::to_string(fd);
}

namespace
{

void readContent(int fd, int kind, FileFacts* facts) noexcept
{
    // No exception leaves the module: a damaged file makes a reader throw.
    try {
        switch (static_cast<ContentKind>(kind)) {
        case ContentKind::Image:
            readImageFacts(fd, *facts);
            break;
        case ContentKind::Audio:
            readAudioFacts(fd, *facts);
            break;
        case ContentKind::Video:
            readVideoFacts(fd, *facts);
            break;
        case ContentKind::Document:
            readDocumentFacts(fd, *facts);
            break;
        case ContentKind::Unknown:
            facts->problem = "not a photo, video, audio file or PDF";
            break;
        }
    } catch (const std::exception& e) {
        facts->problem = std::string("damaged metadata: ") + e.what();
    } catch (...) {
        facts->problem = "damaged metadata";
    }
}

constexpr BrindleFactsModule kModule {kFactsModuleInterface, sizeof(FileFacts), &readContent};

} // namespace

} // namespace brindle

extern "C" __attribute__((visibility("default"))) const BrindleFactsModule* brindlewick_facts_module(
    unsigned wanted)
{
    return wanted == brindle::kFactsModuleInterface ? &brindle::kModule : nullptr;
}
