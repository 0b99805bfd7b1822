#pragma once

#include <atomic>
#include <memory>
#include <string_view>

namespace brindle
{

class NameTemplate;

/// The parsed template of one template job, parsed at its first use and kept for every later
/// name. Copies of a job share it; a job whose template text changes parses it anew. Safe to
/// use from several threads at once.
class TemplateSlot
{
public:
    TemplateSlot() = default;
    TemplateSlot(const TemplateSlot& other) noexcept;
    TemplateSlot& operator=(const TemplateSlot& other) noexcept;
    ~TemplateSlot();

    /// The parsed template of text, parsed now when the slot holds none for it.
    std::shared_ptr<const NameTemplate> get(std::string_view text) const;

    /// A cache is no part of a job's value.
    bool operator==(const TemplateSlot&) const { return true; }

private:
    mutable std::atomic<std::shared_ptr<const NameTemplate>> m_parsed;
};

} // namespace brindle
