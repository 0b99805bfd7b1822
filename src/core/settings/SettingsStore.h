#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/Result.h"
#include "core/settings/IniFile.h"

namespace brindle
{

/// The root key of registry mode.
enum RegRoot : std::uint8_t { rgCurrentUser = 0, rgLocalMachine = 1 };

/// A window's placement: the normal (restored) rectangle and the window state
/// (0 normal, 1 minimised, 2 maximised).
struct FormPlacement {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t winState = 0;
};

/// What the settings store needs of a window to save and restore its placement. The window
/// adapts itself to it; the store decides the order in which things are applied.
class IPlacedForm
{
public:
    virtual ~IPlacedForm() = default;
    /// The form's component name, the section of its placement ("frmMain").
    virtual std::string formName() const = 0;
    /// The normal rectangle (also while minimised or maximised) and the state; false when the
    /// windowing system cannot tell.
    virtual bool getPlacement(FormPlacement& placement) const = 0;
    virtual void setLeft(std::int32_t left) = 0;
    virtual void setTop(std::int32_t top) = 0;
    virtual void setWidth(std::int32_t width) = 0;
    virtual void setHeight(std::int32_t height) = 0;
    /// 0 normal, 1 minimised, 2 maximised; never called with another value.
    virtual void setWindowState(std::int32_t state) = 0;
};

/// Named values with defaults (booleans, floats, integers, strings), loaded from and saved to
/// an INI file in one step each; in between they are read and changed by name in memory.
///
/// Each list holds "name=value" lines in the order given; that order is the order of loading
/// and saving, and names are matched without regard to ASCII case (the first line counts). The
/// set of names is fixed when the lists are given: nothing here adds or removes a line.
/// Problems are returned as the text to show (Result); nothing here throws.
class SettingsStore
{
public:
    /// The INI file's name, joined to the settings folder when useStartUpDir is true; otherwise
    /// the file's path as it is (a relative one from the current folder).
    std::string iniFileName;
    /// When not empty, prefixed with a backslash to every section name.
    std::string iniSection;
    bool useStartUpDir = true;
    /// Registry mode has no backing store on Linux: with it nothing is loaded or saved.
    bool useRegistry = false;
    RegRoot registryRoot = rgCurrentUser;
    /// The folder of the file when useStartUpDir is true, ending with "/"; empty: the
    /// application's settings folder (getSettingsDir).
    std::string startUpDir;
    /// Shows the message about a stored integer or float that cannot be read (the default is
    /// used and loading goes on). The store itself shows nothing.
    std::function<void(const std::string&)> onMessage;

    static constexpr std::int32_t kAbsent = 33554431; // 0x1FFFFFF: a placement value not stored

    void setBooleans(std::vector<std::string> lines) { m_booleans = std::move(lines); }
    void setFloats(std::vector<std::string> lines) { m_floats = std::move(lines); }
    void setIntegers(std::vector<std::string> lines) { m_integers = std::move(lines); }
    void setStrings(std::vector<std::string> lines) { m_strings = std::move(lines); }
    const std::vector<std::string>& booleans() const { return m_booleans; }
    const std::vector<std::string>& floats() const { return m_floats; }
    const std::vector<std::string>& integers() const { return m_integers; }
    const std::vector<std::string>& Strings() const { return m_strings; }

    /// The path of the INI file.
    std::string iniPath() const;

    /// Loads every listed value; a value absent from the file keeps its current one. A stored
    /// boolean that cannot be read stops the load with its error (earlier lines keep what they
    /// loaded, later ones their current values), as does a listed integer or float that is no
    /// number.
    Result<void> loadValues();
    /// Writes every listed value; the file is replaced as a whole, atomically. Fails with
    /// "Unable to write to <path>", or, writing nothing, on a listed number that is no number.
    Result<void> saveValues();

    /// The values by name; a name not listed fails with "<Kind> Field "<name>" not found", a
    /// number that cannot be read with its conversion error.
    Result<bool> getBoolean(std::string_view name) const;
    Result<std::int64_t> getInteger(std::string_view name) const;
    Result<double> getFloat(std::string_view name) const;
    Result<std::string> getString(std::string_view name) const;
    Result<void> setBoolean(std::string_view name, bool value);
    Result<void> setInteger(std::string_view name, std::int64_t value);
    Result<void> setFloat(std::string_view name, double value);
    Result<void> setString(std::string_view name, std::string_view value);

    /// Writes the form's placement at once (nothing when the form cannot tell it). Fails with
    /// "Unable to write to <path>".
    Result<void> saveFormPlacement(const IPlacedForm& form);
    /// Reads the form's placement and applies it: left, top, then (withSize) width and height,
    /// each only when stored; a stored normal state before the bounds, another state after.
    void restoreFormPlacement(IPlacedForm& form, bool withSize = true);

protected:
    /// Opens the backing store; false when there is none.
    bool openStore();
    /// Closes it, writing the file first when something was written. Fails with
    /// "Unable to write to <path>" when the file cannot be written.
    Result<void> closeStore();
    std::string readStoreString(std::string_view section, std::string_view key, std::string_view def) const;
    void writeStoreString(std::string_view section, std::string_view key, std::string_view value);
    /// Fails with "'<text>' is not a valid boolean value".
    Result<bool> readStoreBool(std::string_view section, std::string_view key, bool def) const;
    std::int64_t readStoreInteger(std::string_view section, std::string_view key, std::int64_t def) const;
    double readStoreFloat(std::string_view section, std::string_view key, double def) const;

private:
    /// Closes the store when a load or save leaves early.
    class StoreGuard;

    std::string sectionName(std::string_view section) const;
    void message(const std::string& text) const;

    std::vector<std::string> m_booleans;
    std::vector<std::string> m_floats;
    std::vector<std::string> m_integers;
    std::vector<std::string> m_strings;
    std::optional<IniFile> m_store;
    bool m_written = false;
};

} // namespace brindle
