#include "settings/zmRegVal.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/UAppDir.h"
#include "base/UErrors.h"
#include "base/UNumbers.h"
#include "jobs/zmStringUtil.h"

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
        if (SameIniName(std::string_view(line).substr(0, line.find('=')), name))
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

std::int64_t lineInteger(const std::vector<std::string>& lines, std::size_t i)
{
    const std::string v = valueOf(lines[i]);
    if (const auto n = ParseInt64(v))
        return *n;
    throw EBrindleError("Error in conversion of integer[" + std::to_string(i) + "], Value = \"" + v + "\"");
}

double lineFloat(const std::vector<std::string>& lines, std::size_t i)
{
    const std::string v = valueOf(lines[i]);
    if (const auto n = parseFloat(v))
        return *n;
    throw EBrindleError("Error in conversion of float[" + std::to_string(i) + "], Value = \"" + v + "\"");
}

void setValue(std::string& line, std::string_view value)
{
    line = nameOf(line) + "=" + std::string(value);
}

} // namespace

class TzmRegVal::StoreGuard
{
public:
    explicit StoreGuard(TzmRegVal& owner)
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
    void close()
    {
        m_closed = true;
        m_owner.CloseStore();
    }

private:
    TzmRegVal& m_owner;
    bool m_closed = false;
};

std::string TzmRegVal::IniPath() const
{
    if (!UseStartUpDir)
        return IniFileName;
    return (StartUpDir.empty() ? GetSettingsDir() : StartUpDir) + IniFileName;
}

bool TzmRegVal::OpenStore()
{
    m_store.reset();
    m_written = false;
    if (UseRegistry)
        return false;
    m_store.emplace(IniPath());
    m_store->Load();
    return true;
}

void TzmRegVal::CloseStore()
{
    std::optional<TIniFile> store = std::move(m_store);
    const bool written = m_written;
    m_store.reset();
    m_written = false;
    if (store && written)
        store->Save();
}

std::string TzmRegVal::sectionName(std::string_view section) const
{
    return IniSection.empty() ? std::string(section) : IniSection + "\\" + std::string(section);
}

void TzmRegVal::message(const std::string& text) const
{
    if (OnMessage)
        OnMessage(text);
}

std::string TzmRegVal::ReadStoreString(
    std::string_view section, std::string_view key, std::string_view def) const
{
    if (!m_store)
        return {};
    return m_store->ReadString(sectionName(section), key, def);
}

void TzmRegVal::WriteStoreString(std::string_view section, std::string_view key, std::string_view value)
{
    if (!m_store)
        return;
    m_store->WriteString(sectionName(section), key, value);
    m_written = true;
}

bool TzmRegVal::ReadStoreBool(std::string_view section, std::string_view key, bool def) const
{
    const std::string text = ReadStoreString(section, key, "");
    if (text.empty())
        return def;
    if (const auto n = parseFloat(text))
        return *n != 0.0;
    const std::string lowered = LowerCase(text);
    if (lowered == "true")
        return true;
    if (lowered == "false")
        return false;
    throw EBrindleError("'" + text + "' is not a valid boolean value");
}

std::int64_t TzmRegVal::ReadStoreInteger(
    std::string_view section, std::string_view key, std::int64_t def) const
{
    const std::string text = ReadStoreString(section, key, "");
    if (text.empty())
        return def;
    if (const auto n = ParseInt64(text))
        return *n;
    message("Error reading Integer value \"" + std::string(section) + "\\" + std::string(key)
        + "\". Value = \"" + text + "\". Value set to " + std::to_string(def));
    return def;
}

double TzmRegVal::ReadStoreFloat(std::string_view section, std::string_view key, double def) const
{
    const std::string text = ReadStoreString(section, key, "");
    if (text.empty())
        return def;
    if (const auto n = parseFloat(text))
        return *n;
    message("Error reading Float value \"" + std::string(section) + "\\" + std::string(key) + "\". Value = \""
        + text + "\". Value set to " + floatText(def));
    return def;
}

void TzmRegVal::LoadValues()
{
    StoreGuard guard(*this);
    if (!OpenStore())
        return;
    for (std::string& line : m_booleans)
        setValue(line, ReadStoreBool("Booleans", nameOf(line), lineBool(line)) ? "1" : "0");
    for (std::size_t i = 0; i < m_floats.size(); ++i)
        setValue(
            m_floats[i], floatText(ReadStoreFloat("Floats", nameOf(m_floats[i]), lineFloat(m_floats, i))));
    for (std::size_t i = 0; i < m_integers.size(); ++i) {
        const std::int64_t v
            = ReadStoreInteger("Integers", nameOf(m_integers[i]), lineInteger(m_integers, i));
        // Stored integers are 32-bit: the low 32 bits, read as signed.
        setValue(m_integers[i], std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(v))));
    }
    for (std::string& line : m_strings)
        setValue(line, ReadStoreString("Strings", nameOf(line), valueOf(line)));
    guard.close();
}

void TzmRegVal::SaveValues()
{
    StoreGuard guard(*this);
    if (!OpenStore())
        return;
    for (const std::string& line : m_booleans)
        WriteStoreString("Booleans", nameOf(line), lineBool(line) ? "1" : "0");
    for (std::size_t i = 0; i < m_floats.size(); ++i)
        WriteStoreString("Floats", nameOf(m_floats[i]), floatText(lineFloat(m_floats, i)));
    for (std::size_t i = 0; i < m_integers.size(); ++i)
        WriteStoreString("Integers", nameOf(m_integers[i]), std::to_string(lineInteger(m_integers, i)));
    for (const std::string& line : m_strings)
        WriteStoreString("Strings", nameOf(line), valueOf(line));
    guard.close();
}

bool TzmRegVal::GetBoolean(std::string_view name) const
{
    const std::string* line = findLine(m_booleans, name);
    if (!line)
        throw EBrindleError("Boolean Field \"" + std::string(name) + "\" not found");
    return valueOf(*line) != "0";
}

std::int64_t TzmRegVal::GetInteger(std::string_view name) const
{
    const std::string* line = findLine(m_integers, name);
    if (!line)
        throw EBrindleError("Integer Field \"" + std::string(name) + "\" not found");
    if (const auto n = ParseInt64(valueOf(*line)))
        return *n;
    throw EBrindleError(
        "Error in conversion of integer \"" + std::string(name) + "\", Value = \"" + valueOf(*line) + "\"");
}

double TzmRegVal::GetFloat(std::string_view name) const
{
    const std::string* line = findLine(m_floats, name);
    if (!line)
        throw EBrindleError("Float Field \"" + std::string(name) + "\" not found");
    if (const auto n = parseFloat(valueOf(*line)))
        return *n;
    throw EBrindleError(
        "Error in conversion of float \"" + std::string(name) + "\", Value = \"" + valueOf(*line) + "\"");
}

std::string TzmRegVal::GetString(std::string_view name) const
{
    const std::string* line = findLine(m_strings, name);
    if (!line)
        throw EBrindleError("String Field \"" + std::string(name) + "\" not found");
    return valueOf(*line);
}

void TzmRegVal::SetBoolean(std::string_view name, bool value)
{
    std::string* line = findLine(m_booleans, name);
    if (!line)
        throw EBrindleError("Boolean Field \"" + std::string(name) + "\" not found");
    setValue(*line, value ? "1" : "0");
}

void TzmRegVal::SetInteger(std::string_view name, std::int64_t value)
{
    std::string* line = findLine(m_integers, name);
    if (!line)
        throw EBrindleError("Integer Field \"" + std::string(name) + "\" not found");
    setValue(*line, std::to_string(value));
}

void TzmRegVal::SetFloat(std::string_view name, double value)
{
    std::string* line = findLine(m_floats, name);
    if (!line)
        throw EBrindleError("Float Field \"" + std::string(name) + "\" not found");
    setValue(*line, floatText(value));
}

void TzmRegVal::SetString(std::string_view name, std::string_view value)
{
    std::string* line = findLine(m_strings, name);
    if (!line)
        throw EBrindleError("String Field \"" + std::string(name) + "\" not found");
    setValue(*line, value);
}

void TzmRegVal::SaveFormPlacement(const IPlacedForm& form)
{
    TFormPlacement p;
    if (!form.GetPlacement(p))
        return;
    StoreGuard guard(*this);
    OpenStore();
    const std::string section = form.FormName();
    WriteStoreString(section, "Left", std::to_string(p.Left));
    WriteStoreString(section, "Top", std::to_string(p.Top));
    WriteStoreString(section, "Width", std::to_string(p.Width));
    WriteStoreString(section, "Height", std::to_string(p.Height));
    WriteStoreString(section, "WinState", std::to_string(p.WinState));
    guard.close();
}

void TzmRegVal::RestoreFormPlacement(IPlacedForm& form, bool withSize)
{
    StoreGuard guard(*this);
    if (!OpenStore())
        return;
    const std::string section = form.FormName();
    auto read = [&](std::string_view key, std::int64_t def) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(ReadStoreInteger(section, key, def)));
    };
    const std::int32_t left = read("Left", kAbsent);
    const std::int32_t top = read("Top", kAbsent);
    const std::int32_t width = read("Width", kAbsent);
    const std::int32_t height = read("Height", kAbsent);
    const std::int32_t state = read("WinState", -1);
    auto applyBounds = [&] {
        if (left != kAbsent)
            form.SetLeft(left);
        if (top != kAbsent)
            form.SetTop(top);
        if (withSize && width != kAbsent)
            form.SetWidth(width);
        if (withSize && height != kAbsent)
            form.SetHeight(height);
    };
    if (state == 0)
        form.SetWindowState(0);
    applyBounds();
    // A state outside the three the windowing system knows is not applied.
    if (state == 1 || state == 2)
        form.SetWindowState(state);
    guard.close();
}

} // namespace brindle
