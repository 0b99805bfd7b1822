#pragma once

#include <stdexcept>
#include <string>

namespace brindle
{

/// An error that reaches the caller with the text to show the user ("Unable to write to ...",
/// "'yes' is not a valid boolean value", ...). The window shows its what() in a message box.
class BrindleError : public std::runtime_error
{
public:
    explicit BrindleError(const std::string& message)
        : std::runtime_error(message)
    {
    }
};

} // namespace brindle
