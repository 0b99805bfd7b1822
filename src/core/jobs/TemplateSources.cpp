#include "core/jobs/TemplateSources.h"

#include <algorithm>

namespace brindle
{

TemplateSources::TemplateSources(const std::vector<Job>& jobs)
{
    for (const Job& job : jobs) {
        if (job.jobType != jobTemplate)
            continue;
        NameTemplate t = NameTemplate::parse(job.str1);
        if (t.error().empty())
            m_templates.push_back(std::move(t));
    }
}

std::string TemplateSources::of(std::string_view name, const EntryFacts* entry) const
{
    std::vector<std::string> lines;
    for (const NameTemplate& t : m_templates) {
        for (std::string& line : t.sources(name, entry)) {
            if (std::find(lines.begin(), lines.end(), line) == lines.end())
                lines.push_back(std::move(line));
        }
    }
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty())
            text += '\n';
        text += line;
    }
    return text;
}

} // namespace brindle
