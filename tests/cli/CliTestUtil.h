#pragma once

// What the command-line tests share: the program run with arguments, the files of the test
// data folder, and the names of table cases.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/RunProcess.h"

namespace brindle::test
{

/// The folder of the command line's golden files, with its trailing "/".
inline const std::string kCliData = BRINDLE_TEST_DATA "/cli/";

/// A file's bytes; empty when it cannot be read.
inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string replaceAll(std::string s, const std::string& from, const std::string& to)
{
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

/// brindlewick-cli run with args, input on its standard input and env added to its environment.
inline ProcessResult cli(
    std::vector<std::string> args, const std::string& input = {}, const std::vector<std::string>& env = {})
{
    args.insert(args.begin(), BRINDLE_CLI);
    return runProcess(args, input, env);
}

/// A copy of the program, run with arguments: the kept job list it reads is the one beside it.
struct ProgramCopy {
    std::string path;
    ProcessResult operator()(std::vector<std::string> args) const
    {
        args.insert(args.begin(), path);
        return runProcess(args);
    }
};

inline ProgramCopy copyProgram(const std::string& path)
{
    std::filesystem::copy_file(BRINDLE_CLI, path);
    return {path};
}

/// A kept job list of one job that upper-cases every name.
inline const std::string kKeptUpperJobs
    = "<brindlewick><jobs><job type=\"jobUpper\" modifier=\"0\" int1=\"0\" int2=\"0\" str1=\"\" str2=\"\" "
      "/></jobs></brindlewick>";

/// A table case's name for the test's name: its member name.
template <typename T> std::string caseName(const ::testing::TestParamInfo<T>& info)
{
    return info.param.name;
}

} // namespace brindle::test
