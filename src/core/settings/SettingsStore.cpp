#include "core/settings/SettingsStore.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/base/AppDir.h"
#include "core/base/Numbers.h"
#include "core/jobs/CaseMapping.h"

namespace brindle
{

namespace
{

std::string nameOf(const std::string& line)
{
    return line.substr(0, line.find('='));
}

std::string valueOf(const std::string& line)
{
    const std::size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

/// The line with that name, matched without regard to ASCII case; null when none.
template <typename Lines> auto* findLine(Lines& lines, std::string_view name)
{
    for (auto& line : lines) {
        if (sameIniName(std::string_view(line).substr(0, line.find('=')), name))
            return &line;
    }
    return static_cast<decltype(&lines[0])>(nullptr);
}

/// A finite decimal number in the number format of the locale; hexadecimal, "inf" and "nan",
/// which strtod would also take, are no numbers here.
std::optional<double> parseFloat(std::string_view text)
{
    if (text.empty() || text.find_first_of(" \t\n\v\f\rxX") != std::string_view::npos)
        return std::nullopt;
    const std::string s(text);
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || errno == ERANGE || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::string floatText(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

bool lineBool(const std::string& line)
{
    const std::string v = valueOf(line);
    return !v.empty() && v != "0";
}

Result<std::int64_t> lineInteger(const std::vector<std::string>& lines, std::size_t i)
{
    const std::string v = valueOf(lines[i]);
    if (const auto n = parseInt64(v))
        return *n;
    return Error {"Error in conversion of integer[" + std::to_string(i) + "], Value = \"" + v + "\""};
}

Result<double> lineFloat(const std::vector<std::string>& lines, std::size_t i)
{
    const std::string v = valueOf(lines[i]);
    if (const auto n = parseFloat(v))
        return *n;
    return Error {"Error in conversion of float[" + std::to_string(i) + "], Value = \"" + v + "\""};
}

Error notFound(std::string_view kind, std::string_view name)
{
    return Error {std::string(kind) + " Field \"" + std::string(name) + "\" not found"};
}

void setValue(std::string& line, std::string_view value)
{
    line = nameOf(line) + "=" + std::string(value);
}

} // namespace

class SettingsStore::StoreGuard
{
public:
    explicit StoreGuard(SettingsStore& owner)
        : m_owner(owner)
    {
    }
    ~StoreGuard()
    {
        if (!m_closed) {
            m_owner.m_store.reset();
            m_owner.m_written = false;
        }
    }
    StoreGuard(const StoreGuard&) = delete;
    StoreGuard& operator=(const StoreGuard&) = delete;
    Result<void> close()
    {
        m_closed = true;
        return m_owner.closeStore();
    }

private:
    SettingsStore& m_owner;
    bool m_closed = false;
};

std::string SettingsStore::iniPath() const
{
    if (!useStartUpDir)
        return iniFileName;
    return (startUpDir.empty() ? getSettingsDir() : startUpDir) + iniFileName;
}

bool SettingsStore::openStore()
{
    m_store.reset();
    m_written = false;
    if (useRegistry)
        return false;
    m_store.emplace(iniPath());
    m_store->load();
    return true;
}

Result<void> SettingsStore::closeStore()
{
    std::optional<IniFile> store = std::move(m_store);
    const bool written = m_written;
    m_store.reset();
    m_written = false;
    if (store && written)
        return store->save();
    return {};
}

std::string SettingsStore::sectionName(std::string_view section) const
{
    return iniSection.empty() ? std::string(section) : iniSection + "\\" + std::string(section);
}

void SettingsStore::message(const std::string& text) const
{
    if (onMessage)
        onMessage(text);
}

std::string SettingsStore::readStoreString(
    std::string_view section, std::string_view key, std::string_view def) const
{
    if (!m_store)
        return {};
    return m_store->readString(sectionName(section), key, def);
}

void SettingsStore::writeStoreString(std::string_view section, std::string_view key, std::string_view value)
{
    if (!m_store)
        return;
    m_store->writeString(sectionName(section), key, value);
    m_written = true;
}

Result<bool> SettingsStore::readStoreBool(std::string_view section, std::string_view key, bool def) const
{
    const std::string text = readStoreString(section, key, "");
    if (text.empty())
        return def;
    if (const auto n = parseFloat(text))
        return *n != 0.0;
    const std::string lowered = lowerCase(text);
    if (lowered == "true")
        return true;
    if (lowered == "false")
        return false;
    return Error {"'" + text + "' is not a valid boolean value"};
}

std::int64_t SettingsStore::readStoreInteger(
    std::string_view section, std::string_view key, std::int64_t def) const
{
    const std::string text = readStoreString(section, key, "");
    if (text.empty())
        return def;
    if (const auto n = parseInt64(text))
        return *n;
    message("Error reading Integer value \"" + std::string(section) + "\\" + std::string(key)
        + "\". Value = \"" + text + "\". Value set to " + std::to_string(def));
    return def;
}

double SettingsStore::readStoreFloat(std::string_view section, std::string_view key, double def) const
{
    const std::string text = readStoreString(section, key, "");
    if (text.empty())
        return def;
    if (const auto n = parseFloat(text))
        return *n;
    message("Error reading Float value \"" + std::string(section) + "\\" + std::string(key) + "\". Value = \""
        + text + "\". Value set to " + floatText(def));
    return def;
}

Result<void> SettingsStore::loadValues()
{
    StoreGuard guard(*this);
    if (!openStore())
        return {};
    for (std::string& line : m_booleans) {
        const Result<bool> stored = readStoreBool("Booleans", nameOf(line), lineBool(line));
        if (!stored.ok())
            return stored.error();
        setValue(line, stored.value() ? "1" : "0");
    }
    for (std::size_t i = 0; i < m_floats.size(); ++i) {
        const Result<double> current = lineFloat(m_floats, i);
        if (!current.ok())
            return current.error();
        setValue(m_floats[i], floatText(readStoreFloat("Floats", nameOf(m_floats[i]), current.value())));
    }
    for (std::size_t i = 0; i < m_integers.size(); ++i) {
        const Result<std::int64_t> current = lineInteger(m_integers, i);
        if (!current.ok())
            return current.error();
        const std::int64_t v = readStoreInteger("Integers", nameOf(m_integers[i]), current.value());
        // Stored integers are 32-bit: the low 32 bits, read as signed.
        setValue(m_integers[i], std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(v))));
    }
    for (std::string& line : m_strings)
        setValue(line, readStoreString("Strings", nameOf(line), valueOf(line)));
    return guard.close();
}

Result<void> SettingsStore::saveValues()
{
    StoreGuard guard(*this);
    if (!openStore())
        return {};
    for (const std::string& line : m_booleans)
        writeStoreString("Booleans", nameOf(line), lineBool(line) ? "1" : "0");
    // A number that is no number leaves the file as it was: the guard drops what was written.
    for (std::size_t i = 0; i < m_floats.size(); ++i) {
        const Result<double> v = lineFloat(m_floats, i);
        if (!v.ok())
            return v.error();
        writeStoreString("Floats", nameOf(m_floats[i]), floatText(v.value()));
    }
    for (std::size_t i = 0; i < m_integers.size(); ++i) {
        const Result<std::int64_t> v = lineInteger(m_integers, i);
        if (!v.ok())
            return v.error();
        writeStoreString("Integers", nameOf(m_integers[i]), std::to_string(v.value()));
    }
    for (const std::string& line : m_strings)
        writeStoreString("Strings", nameOf(line), valueOf(line));
    return guard.close();
}

Result<bool> SettingsStore::getBoolean(std::string_view name) const
{
    const std::string* line = findLine(m_booleans, name);
    if (!line)
        return notFound("Boolean", name);
    return valueOf(*line) != "0";
}

Result<std::int64_t> SettingsStore::getInteger(std::string_view name) const
{
    const std::string* line = findLine(m_integers, name);
    if (!line)
        return notFound("Integer", name);
    if (const auto n = parseInt64(valueOf(*line)))
        return *n;
    return Error {
        "Error in conversion of integer \"" + std::string(name) + "\", Value = \"" + valueOf(*line) + "\""};
}

Result<double> SettingsStore::getFloat(std::string_view name) const
{
    const std::string* line = findLine(m_floats, name);
    if (!line)
        return notFound("Float", name);
    if (const auto n = parseFloat(valueOf(*line)))
        return *n;
    return Error {
        "Error in conversion of float \"" + std::string(name) + "\", Value = \"" + valueOf(*line) + "\""};
}

Result<std::string> SettingsStore::getString(std::string_view name) const
{
    const std::string* line = findLine(m_strings, name);
    if (!line)
        return notFound("String", name);
    return valueOf(*line);
}

Result<void> SettingsStore::setBoolean(std::string_view name, bool value)
{
    std::string* line = findLine(m_booleans, name);
    if (!line)
        return notFound("Boolean", name);
    setValue(*line, value ? "1" : "0");
    return {};
}

Result<void> SettingsStore::setInteger(std::string_view name, std::int64_t value)
{
    std::string* line = findLine(m_integers, name);
    if (!line)
        return notFound("Integer", name);
    setValue(*line, std::to_string(value));
    return {};
}

Result<void> SettingsStore::setFloat(std::string_view name, double value)
{
    std::string* line = findLine(m_floats, name);
    if (!line)
        return notFound("Float", name);
    setValue(*line, floatText(value));
    return {};
}

Result<void> SettingsStore::setString(std::string_view name, std::string_view value)
{
    std::string* line = findLine(m_strings, name);
    if (!line)
        return notFound("String", name);
    setValue(*line, value);
    return {};
}

Result<void> SettingsStore::saveFormPlacement(const IPlacedForm& form)
{
    FormPlacement p;
    if (!form.getPlacement(p))
        return {};
    StoreGuard guard(*this);
    openStore();
    const std::string section = form.formName();
    writeStoreString(section, "Left", std::to_string(p.left));
    writeStoreString(section, "Top", std::to_string(p.top));
    writeStoreString(section, "Width", std::to_string(p.width));
    writeStoreString(section, "Height", std::to_string(p.height));
    writeStoreString(section, "WinState", std::to_string(p.winState));
    return guard.close();
}

void SettingsStore::restoreFormPlacement(IPlacedForm& form, bool withSize)
{
    StoreGuard guard(*this);
    if (!openStore())
        return;
    const std::string section = form.formName();
    auto read = [&](std::string_view key, std::int64_t def) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(readStoreInteger(section, key, def)));
    };
    const std::int32_t left = read("Left", kAbsent);
    const std::int32_t top = read("Top", kAbsent);
    const std::int32_t width = read("Width", kAbsent);
    const std::int32_t height = read("Height", kAbsent);
    const std::int32_t state = read("WinState", -1);
    auto applyBounds = [&] {
        if (left != kAbsent)
            form.setLeft(left);
        if (top != kAbsent)
            form.setTop(top);
        if (withSize && width != kAbsent)
            form.setWidth(width);
        if (withSize && height != kAbsent)
            form.setHeight(height);
    };
    if (state == 0)
        form.setWindowState(0);
    applyBounds();
    // A state outside the three the windowing system knows is not applied.
    if (state == 1 || state == 2)
        form.setWindowState(state);
    // Nothing was written, so closing cannot fail.
    static_cast<void>(guard.close());
}

} // namespace brindle
