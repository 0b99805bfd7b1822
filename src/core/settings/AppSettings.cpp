#include "core/settings/AppSettings.h"

#include <algorithm>
#include <optional>

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
    store.setIntegers(
        {"counterStart=0", "viewStyle=" + std::to_string(defaults.viewStyle), "stvWidth=200", "sortOrder=0"});
    std::vector<std::string> strings
        = {"path=", "openDir=", "saveDir=", "example=filename.ext", "encoding=ISO-8859-1", "filemask=*.*"};
    for (std::size_t i = 0; i < kMaskHistorySize; ++i)
        strings.push_back(historyKey(i) + "=");
    store.setStrings(std::move(strings));
}

namespace
{

/// Takes the values of the store one after the other until one fails; that first problem is
/// kept and the rest is passed over.
class ValueReader
{
public:
    explicit ValueReader(const SettingsStore& store)
        : m_store(store)
    {
    }
    bool boolean(std::string_view name) { return take(m_store.getBoolean(name), false); }
    std::int64_t integer(std::string_view name) { return take(m_store.getInteger(name), std::int64_t(0)); }
    std::string string(std::string_view name) { return take(m_store.getString(name), std::string()); }
    Result<void> result() const { return m_error ? Result<void>(*m_error) : Result<void>(); }

private:
    template <typename T> T take(Result<T> value, T fallback)
    {
        if (m_error)
            return fallback;
        if (!value.ok()) {
            m_error = value.error();
            return fallback;
        }
        return std::move(value).value();
    }

    const SettingsStore& m_store;
    std::optional<Error> m_error;
};

/// Gives the store its values one after the other until one fails; keeps that first problem.
class ValueWriter
{
public:
    explicit ValueWriter(SettingsStore& store)
        : m_store(store)
    {
    }
    void boolean(std::string_view name, bool value)
    {
        if (m_result.ok())
            m_result = m_store.setBoolean(name, value);
    }
    void integer(std::string_view name, std::int64_t value)
    {
        if (m_result.ok())
            m_result = m_store.setInteger(name, value);
    }
    void string(std::string_view name, std::string_view value)
    {
        if (m_result.ok())
            m_result = m_store.setString(name, value);
    }
    Result<void> result() const { return m_result; }

private:
    SettingsStore& m_store;
    Result<void> m_result;
};

} // namespace

Result<void> loadSettings(const SettingsStore& store, AppOptions& o, const std::string& fallbackDir)
{
    ValueReader read(store);
    for (const BoolKey& k : kBoolKeys)
        o.*k.field = read.boolean(k.name);
    o.filemask = read.string("filemask");
    o.filemaskHistory.clear();
    for (std::size_t i = 0; i < kMaskHistorySize; ++i) {
        std::string mask = read.string(historyKey(i));
        if (!mask.empty())
            o.filemaskHistory.push_back(std::move(mask));
    }
    o.path = read.string("path");
    o.example = read.string("example");
    o.openDir = folderOrAppDir(read.string("openDir"), fallbackDir);
    o.saveDir = folderOrAppDir(read.string("saveDir"), fallbackDir);
    o.encoding = read.string("encoding");
    o.counterStart = read.integer("counterStart");
    o.viewStyle = read.integer("viewStyle");
    o.stvWidth = std::max(kMinDirPanelWidth, read.integer("stvWidth"));
    o.sortOrder = read.integer("sortOrder");
    if (o.sortOrder < 0 || o.sortOrder > 3)
        o.sortOrder = 0;
    return read.result();
}

Result<void> saveSettings(const AppOptions& o, SettingsStore& store)
{
    ValueWriter write(store);
    for (const BoolKey& k : kBoolKeys)
        write.boolean(k.name, o.*k.field);
    write.string("filemask", o.filemask);
    for (std::size_t i = 0; i < kMaskHistorySize; ++i)
        write.string(historyKey(i), i < o.filemaskHistory.size() ? o.filemaskHistory[i] : std::string());
    write.string("path", o.path);
    write.string("example", o.example);
    write.string("openDir", o.openDir);
    write.string("saveDir", o.saveDir);
    write.string("encoding", o.encoding);
    write.integer("counterStart", o.counterStart);
    write.integer("viewStyle", o.viewStyle);
    write.integer("stvWidth", o.stvWidth);
    write.integer("sortOrder", o.sortOrder);
    return write.result();
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
