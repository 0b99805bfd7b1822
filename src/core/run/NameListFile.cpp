#include "core/run/NameListFile.h"

namespace brindle
{

namespace
{

Error lineError(std::size_t line, std::string_view what)
{
    return Error {"line " + std::to_string(line) + ": " + std::string(what)};
}

std::string_view withoutCr(std::string_view line)
{
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return line;
}

Result<std::vector<NamePair>> parseTsv(std::string_view text)
{
    std::vector<NamePair> pairs;
    std::size_t number = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = withoutCr(text.substr(at, end - at));
        at = end + 1;
        ++number;
        if (line.empty())
            continue;
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            return lineError(number, "no tab between the old and the new name");
        const std::string_view rest = line.substr(tab + 1);
        pairs.push_back(
            {std::string(line.substr(0, tab)), std::string(rest.substr(0, rest.find('\t'))), number});
    }
    return pairs;
}

Result<std::vector<NamePair>> parseCsv(std::string_view text)
{
    std::vector<NamePair> pairs;
    std::vector<std::string> fields;
    std::string field;
    std::size_t line = 1;
    std::size_t recordLine = 1;
    bool quoted = false;
    bool any = false; // the record has a character or a separator
    const auto endRecord = [&]() -> Result<void> {
        if (any) {
            fields.push_back(std::move(field));
            if (fields.size() < 2)
                return lineError(recordLine, "one column where two are needed");
            pairs.push_back({std::move(fields[0]), std::move(fields[1]), recordLine});
        }
        fields.clear();
        field.clear();
        any = false;
        return {};
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n')
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == '"' && field.empty()) {
            quoted = true;
            any = true;
        } else if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
            any = true;
        } else if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            if (c == '\r')
                ++i;
            if (const Result<void> r = endRecord(); !r.ok())
                return r.error();
            recordLine = ++line;
        } else {
            field += c;
            any = true;
        }
    }
    if (quoted)
        return lineError(recordLine, "a quote that is not closed");
    if (const Result<void> r = endRecord(); !r.ok())
        return r.error();
    return pairs;
}

Result<std::vector<NamePair>> parseNul(std::string_view text)
{
    std::vector<NamePair> pairs;
    std::vector<std::string_view> names;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\0', at), text.size());
        names.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    if (names.size() % 2 != 0)
        return lineError(names.size() / 2 + 1, "an old name without its new name");
    for (std::size_t k = 0; k < names.size(); k += 2)
        pairs.push_back({std::string(names[k]), std::string(names[k + 1]), k / 2 + 1});
    return pairs;
}

} // namespace

Result<std::vector<NamePair>> parseNameList(std::string_view text, NameListFormat format)
{
    if (format == NameListFormat::Detect) {
        const std::string_view first = text.substr(0, text.find('\n'));
        format = first.find('\t') != std::string_view::npos ? NameListFormat::Tsv : NameListFormat::Csv;
    }
    switch (format) {
    case NameListFormat::Tsv:
        return parseTsv(text);
    case NameListFormat::Csv:
        return parseCsv(text);
    case NameListFormat::Nul:
    case NameListFormat::Detect:
        break;
    }
    return parseNul(text);
}

void appendTsvLine(std::string& out, std::initializer_list<std::string_view> fields)
{
    bool first = true;
    for (const std::string_view f : fields) {
        if (!first)
            out += '\t';
        first = false;
        out += f;
    }
    out += '\n';
}

bool fitsTsv(std::string_view name)
{
    return name.find_first_of("\t\n\r") == std::string_view::npos;
}

} // namespace brindle
