#include "core/run/EntryFactsReading.h"

#include <climits>
#include <cstdlib>
#include <vector>

#include "core/meta/FactsReader.h"

namespace brindle
{

namespace
{

bool readFarEnough(const FileEntry& e, FactsNeed need)
{
    return e.facts && (need != FactsNeed::Contents || e.facts->contentsRead);
}

} // namespace

void readEntryFacts(int dirFd, FactsNeed need, FactsCache* cache, FileEntryList& dirs, FileEntryList& files)
{
    if (need == FactsNeed::None || dirFd < 0)
        return;
    std::vector<FileEntry*> wanted;
    std::vector<std::string_view> names;
    for (FileEntryList* list : {&dirs, &files}) {
        for (FileEntry& e : *list) {
            if (!readFarEnough(e, need)) {
                wanted.push_back(&e);
                names.push_back(e.name);
            }
        }
    }
    std::vector<std::shared_ptr<const FileFacts>> facts;
    readFactsInParallel(dirFd, names, need, cache, facts);
    for (std::size_t i = 0; i < wanted.size(); ++i)
        wanted[i]->facts = std::move(facts[i]);
}

std::string folderNameOf(std::string_view path)
{
    std::string p(path);
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    const std::size_t slash = p.rfind('/');
    std::string last = slash == std::string::npos ? p : p.substr(slash + 1);
    if (last.empty() || last == "." || last == "..") {
        if (char* real = ::realpath(p.empty() ? "." : p.c_str(), nullptr)) {
            std::string r = real;
            std::free(real);
            const std::size_t s = r.rfind('/');
            return s == std::string::npos ? r : r.substr(s + 1);
        }
    }
    return last;
}

} // namespace brindle
