#include "settings/UAppSettings.h"

#include <algorithm>

#include "base/UFileUtil.h"

namespace brindle
{

namespace
{

struct BoolKey {
    const char* name;
    bool TAppOptions::*field;
};

// The boolean keys in the order of the store.
constexpr BoolKey kBoolKeys[] = {
    {"recurseDirs", &TAppOptions::recurseDirs},
    {"renameDirs", &TAppOptions::renameDirs},
    {"resetCounter", &TAppOptions::resetCounter},
    {"sort", &TAppOptions::sort},
    {"confirm", &TAppOptions::confirm},
    {"undo", &TAppOptions::undo},
    {"log", &TAppOptions::log},
    {"simulation", &TAppOptions::simulation},
    // Added after the others: the settings file keeps the keys in this order.
    {"naturalSort", &TAppOptions::naturalSort},
};

std::string historyKey(std::size_t i)
{
    return "filemask" + std::to_string(i);
}

std::string folderOrAppDir(const std::string& folder, const std::string& appDir)
{
    return IsExistingFolder(folder) ? folder : appDir;
}

} // namespace

void InitAppSettingsStore(TzmRegVal& store, const std::string& settingsDir)
{
    store.IniFileName = kSettingsFileName;
    store.IniSection.clear();
    store.UseStartUpDir = true;
    store.UseRegistry = false;
    store.StartUpDir = settingsDir;
    const TAppOptions defaults;
    std::vector<std::string> booleans;
    for (const BoolKey& k : kBoolKeys)
        booleans.push_back(std::string(k.name) + "=" + (defaults.*k.field ? "1" : "0"));
    store.SetBooleans(std::move(booleans));
    store.SetFloats({});
    store.SetIntegers({"counterStart=0", "viewStyle=2", "stvWidth=200"});
    std::vector<std::string> strings
        = {"path=", "openDir=", "saveDir=", "example=filename.ext", "encoding=ISO-8859-1", "filemask=*.*"};
    for (std::size_t i = 0; i < kMaskHistorySize; ++i)
        strings.push_back(historyKey(i) + "=");
    store.SetStrings(std::move(strings));
}

void LoadSettings(const TzmRegVal& store, TAppOptions& o, const std::string& appDir)
{
    for (const BoolKey& k : kBoolKeys)
        o.*k.field = store.GetBoolean(k.name);
    o.filemask = store.GetString("filemask");
    o.filemaskHistory.clear();
    for (std::size_t i = 0; i < kMaskHistorySize; ++i) {
        std::string mask = store.GetString(historyKey(i));
        if (!mask.empty())
            o.filemaskHistory.push_back(std::move(mask));
    }
    o.path = store.GetString("path");
    o.example = store.GetString("example");
    o.openDir = folderOrAppDir(store.GetString("openDir"), appDir);
    o.saveDir = folderOrAppDir(store.GetString("saveDir"), appDir);
    o.encoding = store.GetString("encoding");
    o.counterStart = store.GetInteger("counterStart");
    o.viewStyle = store.GetInteger("viewStyle");
    o.stvWidth = std::max(kMinDirPanelWidth, store.GetInteger("stvWidth"));
}

void SaveSettings(const TAppOptions& o, TzmRegVal& store)
{
    for (const BoolKey& k : kBoolKeys)
        store.SetBoolean(k.name, o.*k.field);
    store.SetString("filemask", o.filemask);
    for (std::size_t i = 0; i < kMaskHistorySize; ++i)
        store.SetString(historyKey(i), i < o.filemaskHistory.size() ? o.filemaskHistory[i] : std::string());
    store.SetString("path", o.path);
    store.SetString("example", o.example);
    store.SetString("openDir", o.openDir);
    store.SetString("saveDir", o.saveDir);
    store.SetString("encoding", o.encoding);
    store.SetInteger("counterStart", o.counterStart);
    store.SetInteger("viewStyle", o.viewStyle);
    store.SetInteger("stvWidth", o.stvWidth);
}

void RememberFileMask(std::vector<std::string>& history, const std::string& mask)
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
