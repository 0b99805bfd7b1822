#pragma once

#include <string>
#include <string_view>

#include "core/jobs/Job.h"

struct _xmlNode;

namespace brindle
{

class XmlTextEncoder;

/// prefix followed by the job's element of a job list file, without a line end; the strings as
/// xmlEscape gives them.
std::string jobAsXml(const Job& job, std::string_view prefix);

/// The same, with the strings written by encoder in the encoding of a job list file.
std::string jobAsXml(const Job& job, std::string_view prefix, const XmlTextEncoder& encoder);

/// Fills job from the attributes of a job element, as UTF-8 text. Returns true, and changes the
/// job, only when the element names a kind other than jobNone.
bool loadJobFromXmlNode(Job& job, const _xmlNode* node);

} // namespace brindle
