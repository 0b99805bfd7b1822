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
    bool undo = false;
    bool log = false;
    bool simulation = false;
    /// Name sorts compare runs of digits by their value.
    bool naturalSort = false;
    std::int64_t counterStart = 0;
    /// 0 large icons, 1 small icons, 2 list, 3 details.
    std::int64_t viewStyle = 2;
    /// The width of the folder panel; loadSettings makes it at least kMinDirPanelWidth.
    std::int64_t stvWidth = 200;
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
/// saveDir replaced by appDir when they are not existing folders, stvWidth at least 50. Fails with
/// the store's problem when a key of the application is not in it or is no number; options is
/// then incomplete and not to be applied.
Result<void> loadSettings(const SettingsStore& store, AppOptions& options, const std::string& appDir);

/// Copies options into the store's values (the file is written by the store's saveValues).
/// History keys beyond the history's entries are stored empty, so no stale mask survives. Fails
/// with the store's problem when a key of the application is not in it (the keys before it are
/// set).
Result<void> saveSettings(const AppOptions& options, SettingsStore& store);

/// Records mask as the most recent entry of the history: an entry equal to it (compared with
/// case) moves to the top, otherwise it is inserted there and the oldest beyond ten dropped.
void rememberFileMask(std::vector<std::string>& history, const std::string& mask);

} // namespace brindle
