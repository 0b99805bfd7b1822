#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brindle
{

/// The name of the undo file the run writes into every folder it processes.
inline constexpr std::string_view kUndoFileName = "_brindlewick_undo.txt";

/// A text of count copies of ch. The count is an 8-bit value: a larger one is taken modulo 256.
std::string repeatChar(std::int64_t count, char ch);

/// The clash key of a name: a-z upper-cased, Greek small letters upper-cased, and the accents
/// of the Greek accented letters (of either case) dropped; ς and σ both become Σ. Every other
/// character, and every byte outside a UTF-8 sequence, is kept as it is.
std::string upCaseGreek(std::string_view text);

/// upCaseGreek into out (its old content is replaced), for callers that reuse a buffer.
void upCaseGreekInto(std::string_view text, std::string& out);

} // namespace brindle
