#include "core/joblist/JobXml.h"

#include "core/base/Numbers.h"
#include "core/joblist/LazyLibxml2.h"
#include "core/joblist/XmlText.h"

namespace brindle
{

namespace
{

template <typename Escape> std::string jobElement(const Job& job, std::string_view prefix, Escape escape)
{
    std::string out(prefix);
    out += "<job ";
    out += attributeText("type", jobTypeName(job.jobType));
    out += intAttributeText("modifier", job.modifier);
    out += intAttributeText("int1", job.int1);
    out += intAttributeText("int2", job.int2);
    out += attributeText("str1", escape(job.str1));
    out += attributeText("str2", escape(job.str2));
    out += "/>";
    return out;
}

} // namespace

std::string jobAsXml(const Job& job, std::string_view prefix)
{
    return jobElement(job, prefix, [](std::string_view text) { return xmlEscape(text); });
}

std::string jobAsXml(const Job& job, std::string_view prefix, const XmlTextEncoder& encoder)
{
    return jobElement(job, prefix, [&](std::string_view text) { return encoder.escape(text); });
}

bool loadJobFromXmlNode(Job& job, const _xmlNode* node)
{
    Job work;
    for (const xmlAttr* attr = node->properties; attr; attr = attr->next) {
        std::string name = reinterpret_cast<const char*>(attr->name);
        if (attr->ns && attr->ns->prefix)
            name = reinterpret_cast<const char*>(attr->ns->prefix) + (":" + name);
        // The parser has decoded the file by its declaration and resolved every reference: the
        // value is UTF-8, the program's own text, and is used as it comes.
        xmlChar* raw = lazy::xmlNodeGetContent(reinterpret_cast<const xmlNode*>(attr));
        const std::string_view utf8 = raw ? reinterpret_cast<const char*>(raw) : "";
        // A number that is not a 32-bit whole number reads as 0.
        if (name == "type")
            work.jobType = Job::kindFromName(utf8);
        else if (name == "modifier")
            work.modifier = parseInt32(utf8).value_or(0);
        else if (name == "int1")
            work.int1 = parseInt32(utf8).value_or(0);
        else if (name == "int2")
            work.int2 = parseInt32(utf8).value_or(0);
        else if (name == "str1")
            work.str1 = utf8;
        else if (name == "str2")
            work.str2 = utf8;
        lazy::xmlFree(raw);
    }
    if (work.jobType == jobNone)
        return false;
    job = std::move(work);
    return true;
}

} // namespace brindle
