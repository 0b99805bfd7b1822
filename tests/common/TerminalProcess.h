#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace brindle::test
{

/// One step of a conversation with a program on a terminal: wait until its output holds
/// waitFor (searched after the previous step's match), then wait delay, then type send.
struct TerminalStep {
    std::string waitFor;
    std::chrono::milliseconds delay {0};
    std::string send;
};

struct TerminalResult {
    int exitCode = -1; // the exit status, or 128 + signal number
    /// Everything the program wrote to the terminal, standard output and error as they came.
    std::string output;
    /// Steps whose text never came before the program ended.
    std::size_t stepsMissed = 0;
};

/// Runs a program (argv[0] is its path) with a new pseudo-terminal, 80 columns wide, as its
/// standard input, output and error and as its controlling terminal. The terminal is raw: it
/// echoes nothing and writes the program's bytes as they are. env holds "NAME=value" entries
/// added to (or replacing in) the environment.
TerminalResult runOnTerminal(const std::vector<std::string>& argv,
    const std::vector<TerminalStep>& steps = {}, const std::vector<std::string>& env = {});

} // namespace brindle::test
