#pragma once

#include "core/run/FileEntry.h"

namespace brindle
{

/// Sorts entries by the date they were taken, oldest first (or newest first when descending);
/// an entry without one (or without facts) takes its modification time. Equal dates keep the
/// order of their names' bytes, so the order never depends on the directory's.
void sortByDateTaken(FileEntryList& list, bool descending);

} // namespace brindle
