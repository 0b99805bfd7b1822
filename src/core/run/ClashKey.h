#pragma once

#include <string>
#include <string_view>

namespace brindle
{

/// The clash key of a name: a-z upper-cased, Greek small letters upper-cased, and the accents
/// of the Greek accented letters (of either case) dropped; ς and σ both become Σ. Every other
/// character, and every byte outside a UTF-8 sequence, is kept as it is.
std::string upCaseGreek(std::string_view text);

/// upCaseGreek into out (its old content is replaced), for callers that reuse a buffer.
void upCaseGreekInto(std::string_view text, std::string& out);

} // namespace brindle
