#include "core/jobs/TemplateSlot.h"

#include "core/jobs/NameTemplate.h"

namespace brindle
{

TemplateSlot::TemplateSlot(const TemplateSlot& other) noexcept
    : m_parsed(other.m_parsed.load())
{
}

TemplateSlot& TemplateSlot::operator=(const TemplateSlot& other) noexcept
{
    if (this != &other)
        m_parsed.store(other.m_parsed.load());
    return *this;
}

TemplateSlot::~TemplateSlot() = default;

std::shared_ptr<const NameTemplate> TemplateSlot::get(std::string_view text) const
{
    std::shared_ptr<const NameTemplate> parsed = m_parsed.load();
    if (parsed && parsed->text() == text)
        return parsed;
    parsed = std::make_shared<const NameTemplate>(NameTemplate::parse(text));
    m_parsed.store(parsed);
    return parsed;
}

} // namespace brindle
