#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/jobs/Job.h"
#include "core/jobs/NameTemplate.h"

namespace brindle
{

/// Where the values of the template jobs of a list come from, for showing beside a new name.
class TemplateSources
{
public:
    /// The templates of the template jobs of jobs that can be used.
    explicit TemplateSources(const std::vector<Job>& jobs);

    /// Whether the list has no usable template job.
    bool empty() const { return m_templates.empty(); }

    /// One line for each token of the templates: its value for the entry named name and the
    /// source ("taken: 2024-07-14 10:22:33 from Exif.Photo.DateTimeOriginal"), or why it has
    /// none; each token once. Empty when the list has no template job.
    std::string of(std::string_view name, const EntryFacts* entry) const;

private:
    std::vector<NameTemplate> m_templates;
};

} // namespace brindle
