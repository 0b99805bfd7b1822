#pragma once

#include <string>
#include <vector>

namespace brindle::test
{

struct ProcessResult {
    int exitCode = -1; // the exit status, or 128 + signal number
    std::string out;
    std::string err;
};

/// The environment with env's "NAME=value" entries added or put in place of the same names.
std::vector<std::string> mergedEnvironment(const std::vector<std::string>& env);

/// Pointers to the strings of v, ended by a null pointer, as exec and spawn take them.
std::vector<char*> cStringArray(std::vector<std::string>& v);

/// Runs a program (argv[0] is its path), feeding input on its standard input, and collects
/// its output. env holds "NAME=value" entries added to (or replacing in) the environment.
ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input = {},
    const std::vector<std::string>& env = {});

} // namespace brindle::test
