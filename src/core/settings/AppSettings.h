#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/base/Result.h"
#include "core/settings/SettingsStore.h"

namespace brindle
{

/// The main window's settings as plain values; the window maps them onto its controls.
struct AppOptions {
    bool recurseDirs = false;
    bool renameDirs = false;
    bool resetCounter = false;
    bool sort = true;
    bool confirm = false;
    /// On for a first start: the first rename can be undone.
    bool undo = true;
    bool log = false;
    bool simulation = false;
    /// Name sorts compare runs of digits by their value (a2 before a10); on for a first start.
    bool naturalSort = true;
    std::int64_t counterStart = 0;
    /// 0 large icons, 1 small icons, 2 list, 3 details: a first start shows the details, with
    /// the New name column.
    std::int64_t viewStyle = 3;
    /// The width of the folder panel; loadSettings makes it at least kMinDirPanelWidth.
    std::int64_t stvWidth = 200;
    /// The sort order of the run: 0 name A..Z, 1 name Z..A, 2 date oldest first, 3 newest first.
    std::int64_t sortOrder = 0;
    std::string path;
    std::string openDir;
    std::string saveDir;
    std::string example = "filename.ext";
    std::string encoding = "ISO-8859-1";
    std::string filemask = "*.*";
    /// The file-mask history, most recently used first, at most kMaskHistorySize entries.
    std::vector<std::string> filemaskHistory;
};

inline constexpr std::size_t kMaskHistorySize = 10;
inline constexpr std::int64_t kMinDirPanelWidth = 50;
inline constexpr const char* kSettingsFileName = "brindle.ini";
/// The main window's component name: the section of its placement in the settings file.
inline constexpr const char* kMainFormName = "frmMain";

/// Gives store the application's keys with their defaults, in the order they are loaded and
/// saved, and the settings file "brindle.ini" in settingsDir (empty: the settings folder).
void initAppSettingsStore(SettingsStore& store, const std::string& settingsDir = {});

/// Copies the store's values into options: the history without its empty entries, openDir and
/// saveDir replaced by fallbackDir when they are not existing folders, stvWidth at least 50, a
/// sortOrder outside 0 to 3 as 0. Fails with
/// the store's problem when a key of the application is not in it or is no number; options is
/// then incomplete and not to be applied.
Result<void> loadSettings(const SettingsStore& store, AppOptions& options, const std::string& fallbackDir);

/// Copies options into the store's values (the file is written by the store's saveValues).
/// History keys beyond the history's entries are stored empty, so no stale mask survives. Fails
/// with the store's problem when a key of the application is not in it (the keys before it are
/// set).
Result<void> saveSettings(const AppOptions& options, SettingsStore& store);

/// Records mask as the most recent entry of the history: an entry equal to it (compared with
/// case) moves to the top, otherwise it is inserted there and the oldest beyond ten dropped.
void rememberFileMask(std::vector<std::string>& history, const std::string& mask);

} // namespace brindle
