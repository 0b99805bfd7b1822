#pragma once

#include <string>
#include <string_view>

#include "core/meta/FactsNeed.h"
#include "core/run/FileEntry.h"

namespace brindle
{

class FactsCache;

/// Reads the facts of every entry of lists (folders and files of the folder open as dirFd)
/// that has none as far as need says, on every core; a cache (may be null) keeps them across
/// plans. Entries already read far enough are left as they are.
void readEntryFacts(int dirFd, FactsNeed need, FactsCache* cache, FileEntryList& dirs, FileEntryList& files);

/// The name a template's {folder} gives for the folder at path: its last component, the
/// folder itself found when the path ends in "." or "..".
std::string folderNameOf(std::string_view path);

} // namespace brindle
