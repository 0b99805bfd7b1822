#include "joblist/UEncodingList.h"

#include "jobs/zmStringUtil.h"

namespace brindle
{

int EncodingItemIndex(std::string_view name)
{
    if (name.empty())
        return -1;
    const std::string wanted = UpperCase(name);
    for (std::size_t i = 0; i < kXmlEncodingItems.size(); ++i) {
        if (UpperCase(kXmlEncodingItems[i]).starts_with(wanted))
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace brindle
