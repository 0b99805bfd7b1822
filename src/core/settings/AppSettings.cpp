#include "core/settings/AppSettings.h"

#include <algorithm>

#include "core/base/FileIo.h"

namespace brindle
{

namespace
{

struct BoolKey {
    const char* name;
    bool AppOptions::*field;
};

// The boolean keys in the order of the store.
constexpr BoolKey kBoolKeys[] = {
    {"recurseDirs", &AppOptions::recurseDirs},
    {"renameDirs", &AppOptions::renameDirs},
    {"resetCounter", &AppOptions::resetCounter},
    {"sort", &AppOptions::sort},
    {"confirm", &AppOptions::confirm},
    {"undo", &AppOptions::undo},
    {"log", &AppOptions::log},
    {"simulation", &AppOptions::simulation},
    // Added after the others: the settings file keeps the keys in this order.
    {"naturalSort", &AppOptions::naturalSort},
};

std::string historyKey(std::size_t i)
{
    return "filemask" + std::to_string(i);
}

std::string folderOrAppDir(const std::string& folder, const std::string& appDir)
{
    return isExistingFolder(folder) ? folder : appDir;
}

} // namespace

void initAppSettingsStore(SettingsStore& store, const std::string& settingsDir)
{
    store.iniFileName = kSettingsFileName;
    store.iniSection.clear();
    store.useStartUpDir = true;
    store.useRegistry = false;
    store.startUpDir = settingsDir;
    const AppOptions defaults;
    std::vector<std::string> booleans;
    for (const BoolKey& k : kBoolKeys)
        booleans.push_back(std::string(k.name) + "=" + (defaults.*k.field ? "1" : "0"));
    store.setBooleans(std::move(booleans));
    store.setFloats({});
    store.setIntegers({"counterStart=0", "viewStyle=2", "stvWidth=200"});
    std::vector<std::string> strings
        = {"path=", "openDir=", "saveDir=", "example=filename.ext", "encoding=ISO-8859-1", "filemask=*.*"};
    for (std::size_t i = 0; i < kMaskHistorySize; ++i)
        strings.push_back(historyKey(i) + "=");
    store.setStrings(std::move(strings));
}

void loadSettings(const SettingsStore& store, AppOptions& o, const std::string& appDir)
{
    for (const BoolKey& k : kBoolKeys)
        o.*k.field = store.getBoolean(k.name);
    o.filemask = store.getString("filemask");
    o.filemaskHistory.clear();
    for (std::size_t i = 0; i < kMaskHistorySize; ++i) {
        std::string mask = store.getString(historyKey(i));
        if (!mask.empty())
            o.filemaskHistory.push_back(std::move(mask));
    }
    o.path = store.getString("path");
    o.example = store.getString("example");
    o.openDir = folderOrAppDir(store.getString("openDir"), appDir);
    o.saveDir = folderOrAppDir(store.getString("saveDir"), appDir);
    o.encoding = store.getString("encoding");
    o.counterStart = store.getInteger("counterStart");
    o.viewStyle = store.getInteger("viewStyle");
    o.stvWidth = std::max(kMinDirPanelWidth, store.getInteger("stvWidth"));
}

void saveSettings(const AppOptions& o, SettingsStore& store)
{
    for (const BoolKey& k : kBoolKeys)
        store.setBoolean(k.name, o.*k.field);
    store.setString("filemask", o.filemask);
    for (std::size_t i = 0; i < kMaskHistorySize; ++i)
        store.setString(historyKey(i), i < o.filemaskHistory.size() ? o.filemaskHistory[i] : std::string());
    store.setString("path", o.path);
    store.setString("example", o.example);
    store.setString("openDir", o.openDir);
    store.setString("saveDir", o.saveDir);
    store.setString("encoding", o.encoding);
    store.setInteger("counterStart", o.counterStart);
    store.setInteger("viewStyle", o.viewStyle);
    store.setInteger("stvWidth", o.stvWidth);
}

void rememberFileMask(std::vector<std::string>& history, const std::string& mask)
{
    const auto found = std::find(history.begin(), history.end(), mask);
    if (found != history.end()) {
        std::rotate(history.begin(), found, found + 1);
        return;
    }
    history.insert(history.begin(), mask);
    if (history.size() > kMaskHistorySize)
        history.resize(kMaskHistorySize);
}

} // namespace brindle
