#pragma once

#include <cstddef>

#include "core/meta/FileFacts.h"

// What the program and the file facts module agree on. The module holds the readers of the
// metadata in files' contents (exiv2, TagLib and poppler, which together cost more than ten
// milliseconds of loading, and libavformat, which it opens on its first video), so that only a
// run that needs file facts loads them. It offers one C function, which hands out a table of
// plain functions; the only C++ type that crosses is FileFacts, which both sides build from the
// same header, as the interface number and the size checked at load make sure.

extern "C" {

/// What the module offers.
struct BrindleFactsModule {
    /// The kFactsModuleInterface the module was built with.
    unsigned interfaceVersion;
    /// sizeof(brindle::FileFacts) in the module's build.
    std::size_t factsSize;
    /// Adds the metadata of the regular file open as fd, whose first bytes say it is of the
    /// ContentKind kind, to facts; what cannot be read is said in facts->problem. Never throws.
    void (*readContent)(int fd, int kind, brindle::FileFacts* facts);
};

/// The module's one entry point: its table when it speaks the interface wanted, else null.
typedef const BrindleFactsModule* (*BrindleFactsModuleEntry)(unsigned wanted);
}

namespace brindle
{

/// The version of the table above and of FileFacts: raised whenever either changes.
inline constexpr unsigned kFactsModuleInterface = 1;
/// The name under which the module exports its entry point.
inline constexpr const char* kFactsModuleEntryName = "brindlewick_facts_module";
/// The module's file name.
inline constexpr const char* kFactsModuleFileName = "brindlewick-facts.so";

} // namespace brindle
