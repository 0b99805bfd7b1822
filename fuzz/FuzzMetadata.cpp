// The metadata readers on random file contents: whatever a file holds (a damaged JPEG, a lying
// extension, a truncated tag, a PDF of noise), reading it must not crash, hang or take memory
// without bound; it gives values, or none with a reason. The same bytes are also tried as a
// template, which must parse or say why, and fill without crashing from the facts just read.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "core/jobs/NameTemplate.h"
#include "core/meta/FactsReader.h"

using namespace brindle;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A file only in memory: the readers see an ordinary descriptor of a regular file.
    const int fd = ::memfd_create("fuzz-metadata", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size - written);
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    FileFacts facts;
    readContentFacts(fd, facts);
    ::close(fd);

    const std::string text(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 512));
    const NameTemplate t = NameTemplate::parse(text);
    if (t.error().empty()) {
        const EntryFacts entry {"folder", &facts};
        std::string out;
        std::string failure;
        t.fill("name.ext", &entry, 7, out, failure);
        (void)t.sources("name.ext", &entry);
    }
    return 0;
}
