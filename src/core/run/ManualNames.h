#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace brindle
{

/// A hash of names that looks up a string_view without making a string.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view> {}(s); }
};

/// The new names given by hand for entries of one folder, by old name, and the entries chosen
/// for the jobs when only some are to be renamed (files named on the command line). A manual
/// name overrides what the jobs make of its entry; the plan validates and orders it like any
/// other new name, so a manual name that clashes fails with its reason.
class FolderNames
{
public:
    /// Gives oldName the new name newName, overriding the jobs.
    void set(std::string oldName, std::string newName);
    /// Chooses oldName for the jobs; with onlyChosen, the entries neither chosen nor given a
    /// name keep their names.
    void choose(std::string oldName);
    void remove(std::string_view oldName);
    void clear() { m_names.clear(); }

    /// The manual name of oldName, or null.
    const std::string* manualName(std::string_view oldName) const;
    /// Whether the jobs or a manual name name the entry oldName when onlyChosen is set.
    bool chosen(std::string_view oldName) const;
    void setOnlyChosen(bool only) { m_onlyChosen = only; }
    bool onlyChosen() const { return m_onlyChosen; }

    bool empty() const { return m_names.empty(); }
    std::size_t size() const { return m_names.size(); }
    /// How many entries have a manual name (the chosen ones without one not counted).
    std::size_t manualCount() const;

    /// Each old name with its manual name (null for an entry only chosen), in no set order.
    template <typename F> void forEach(F f) const
    {
        for (const auto& [oldName, item] : m_names)
            f(oldName, item.manual ? &item.newName : nullptr);
    }

private:
    struct Item {
        std::string newName;
        bool manual = false;
    };
    std::unordered_map<std::string, Item, NameHash, std::equal_to<>> m_names;
    bool m_onlyChosen = false;
};

/// The manual names of a run over a folder tree, by folder: a path relative to the starting
/// folder through the names the folders have before the run ("" for the starting folder,
/// "a/b" below it).
class ManualNames
{
public:
    /// The names of folder, made when it has none.
    FolderNames& folder(std::string_view path);
    /// The names of folder, or null when it has none.
    const FolderNames* find(std::string_view path) const;
    bool empty() const { return m_folders.empty(); }
    void clear() { m_folders.clear(); }
    /// Entries in every folder.
    std::size_t size() const;

    template <typename F> void forEach(F f) const
    {
        for (const auto& [path, names] : m_folders)
            f(path, names);
    }

private:
    std::unordered_map<std::string, FolderNames, NameHash, std::equal_to<>> m_folders;
};

/// The relative path of the entry name in the folder folder ("" for the starting folder).
std::string joinRelative(std::string_view folder, std::string_view name);

/// Splits a relative path into its folder and its last name: "a/b/c" into "a/b" and "c",
/// "c" into "" and "c". "." parts and repeated slashes are taken away; a path with a ".."
/// part, which could lead out of the tree, gives two empty strings.
std::pair<std::string, std::string> splitRelative(std::string_view path);

} // namespace brindle
