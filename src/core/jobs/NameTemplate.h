#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/meta/FactsNeed.h"
#include "core/meta/FileFacts.h"

namespace brindle
{

/// What a template job knows of the entry it names besides the name.
struct EntryFacts {
    /// The name of the folder that holds the entry.
    std::string_view folderName;
    /// What was read of the entry (dates, metadata); null when nothing was.
    const FileFacts* facts = nullptr;
};

/// The tokens of a template: those of the file and the folder, and the metadata facts (Fact,
/// which names them).
enum class TemplateToken : std::uint8_t {
    Name,
    Ext,
    Folder,
    Counter,
    Modified,
    Created,
    Taken,
    Fact, ///< a fact of the file's metadata
    Literal, ///< a quoted text, the last alternative of a token
};

/// A template of a name: text with tokens in braces, "{{" and "}}" for braces. A token is
/// {name} or {name:format}, with alternatives tried left to right ({taken|modified:%Y}), the
/// last of which may be a quoted text ({artist|"Unknown artist"}). Dates take a strftime
/// format ("%Y-%m-%d" unless given, "%f" the fraction of the second), the counter, track and
/// disc a width. Parsed once; never changes after.
class NameTemplate
{
public:
    /// One alternative of a token.
    struct Alternative {
        TemplateToken token = TemplateToken::Literal;
        /// Which fact, for TemplateToken::Fact.
        brindle::Fact fact = brindle::Fact::Count;
        std::string literal;

        bool operator==(const Alternative&) const = default;
    };
    /// Literal text followed by a token (alternatives empty: the text alone).
    struct Part {
        std::string text;
        std::vector<Alternative> alternatives;
        std::string format;
        bool hasFormat = false;
        int width = 0;
    };

    /// The template of text; when it cannot be parsed, error() says why.
    static NameTemplate parse(std::string_view text);

    const std::string& text() const { return m_text; }
    /// Why the template cannot be used, with the character offset ("unknown token {foo} at
    /// offset 3"); empty when it can.
    const std::string& error() const { return m_error; }
    /// What the template reads of each file.
    FactsNeed need() const { return m_need; }
    /// Whether it holds a {counter}: such a template takes the counter for every name it makes.
    bool usesCounter() const { return m_usesCounter; }

    /// The filled-in template for the entry now named name (facts null: a bare name), with
    /// counter for {counter}. False, with the reason in failure ("no date taken"), when a
    /// token has no value and no alternative gives one.
    bool fill(std::string_view name, const EntryFacts* entry, std::int32_t counter, std::string& out,
        std::string& failure) const;

    /// Each token of the template with its value for the entry and where the value comes from
    /// ("taken: 2024-07-14 10:22:33 from Exif.Photo.DateTimeOriginal"), or why it has none,
    /// one line each, every token once.
    std::vector<std::string> sources(std::string_view name, const EntryFacts* entry) const;

private:
    std::string m_text;
    std::string m_error;
    std::vector<Part> m_parts;
    FactsNeed m_need = FactsNeed::None;
    bool m_usesCounter = false;
};

} // namespace brindle
