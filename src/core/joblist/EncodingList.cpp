#include "core/joblist/EncodingList.h"

#include "core/jobs/CaseMapping.h"

namespace brindle
{

int encodingItemIndex(std::string_view name)
{
    if (name.empty())
        return -1;
    const std::string wanted = upperCase(name);
    for (std::size_t i = 0; i < kXmlEncodingItems.size(); ++i) {
        if (upperCase(kXmlEncodingItems[i]).starts_with(wanted))
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace brindle
