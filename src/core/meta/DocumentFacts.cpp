#include "core/meta/ContentReaders.h"

#include <memory>
#include <mutex>

#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-global.h>

namespace brindle
{

namespace
{

std::string utf8(const poppler::ustring& text)
{
    const poppler::byte_array bytes = text.to_utf8();
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

void readDocumentFacts(int fd, FileFacts& facts)
{
    // poppler's global state is set up on first use without a lock: one document at a time.
    static std::mutex lock;
    const std::lock_guard guard(lock);
    poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
    const std::unique_ptr<poppler::document> document(poppler::document::load_from_file(descriptorPath(fd)));
    if (!document)
        return;
    facts.offer(Fact::Title, utf8(document->get_title()), "PDF Title");
    facts.offer(Fact::Author, utf8(document->get_author()), "PDF Author");
}

} // namespace brindle
