#include "cli/CliOptions.h"

#include <charconv>
#include <string_view>

namespace brindle
{

namespace
{

bool parseInt32(std::string_view text, std::int32_t& value)
{
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data() + (text.starts_with('+') ? 1 : 0), end, value);
    return !text.empty() && r.ec == std::errc() && r.ptr == end;
}

bool isSortOrder(std::string_view s)
{
    return s == "name" || s == "name-desc" || s == "date" || s == "date-desc" || s == "none";
}

} // namespace

const char* CliUsage()
{
    return "Usage:\n"
           "  brindlewick-cli [OPTIONS] FOLDER          rename in FOLDER\n"
           "  brindlewick-cli --undo FOLDER             undo the renaming recorded in FOLDER\n"
           "  brindlewick-cli [--jobs FILE] [--counter N] --preview NAME [--preview NAME ...]\n"
           "  brindlewick-cli [--jobs FILE] --describe\n"
           "  brindlewick-cli [--jobs FILE] --write-jobs OUT [--encoding NAME]\n"
           "\n"
           "  -j, --jobs FILE      job list file (default: the kept job list beside the program)\n"
           "  -m, --mask MASK      file mask (default \"*.*\")\n"
           "  -r, --recurse        recurse into subdirectories\n"
           "  -d, --rename-dirs    rename subdirectories too\n"
           "  -c, --counter N      starting number of the counter (default 0)\n"
           "      --reset-counter  reset the counter in every subdirectory\n"
           "      --sort ORDER     name (default), name-desc, date, date-desc or none\n"
           "  -u, --undo-file      create undo files\n"
           "  -n, --simulate       print the result tree, change nothing\n"
           "  -i, --confirm        ask before every change (answers y or n, one a line, from stdin)\n"
           "  -l, --log            print the run log on stdout\n"
           "  -q, --quiet          print no summary\n"
           "      --preview NAME   print NAME after the job list (may be repeated: one line each, in\n"
           "                       order, the counter going on from one NAME to the next)\n"
           "      --describe       print the description of every job, one a line\n"
           "      --write-jobs OUT write the job list to OUT (encoding default \"ISO-8859-1\"; \"\" for "
           "none)\n"
           "  -h, --help  -V, --version\n"
           "\n"
           "Exit status: 0 when everything went through; 1 when a rename failed, a folder could not\n"
           "be entered or a simulation found a clash; 2 for bad usage or a job list that cannot be read.\n";
}

bool ParseCliOptions(int argc, char** argv, TCliOptions& o, std::string& error)
{
    bool undo = false;
    bool endOfOptions = false;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (endOfOptions || arg.empty() || arg[0] != '-' || arg == "-") {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            endOfOptions = true;
            continue;
        }
        // --name=value is taken as --name value.
        std::optional<std::string> inlineValue;
        if (arg.starts_with("--")) {
            const std::size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg.resize(eq);
            }
        }
        auto value = [&](std::string& out) {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= argc) {
                error = "option " + arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        auto flag = [&](bool& f) {
            if (inlineValue) {
                error = "option " + arg + " takes no value";
                return false;
            }
            f = true;
            return true;
        };
        std::string v;
        bool ok = true;
        if (arg == "-j" || arg == "--jobs") {
            ok = value(v);
            o.jobsFile = v;
        } else if (arg == "-m" || arg == "--mask") {
            ok = value(o.mask);
        } else if (arg == "-r" || arg == "--recurse") {
            ok = flag(o.recurse);
        } else if (arg == "-d" || arg == "--rename-dirs") {
            ok = flag(o.renameDirs);
        } else if (arg == "-c" || arg == "--counter") {
            ok = value(v);
            if (ok && !parseInt32(v, o.counter)) {
                error = "the counter must be a whole number from -2147483648 to 2147483647: " + v;
                ok = false;
            }
        } else if (arg == "--reset-counter") {
            ok = flag(o.resetCounter);
        } else if (arg == "--sort") {
            ok = value(o.sort);
            if (ok && !isSortOrder(o.sort)) {
                error = "unknown sort order: " + o.sort + " (name, name-desc, date, date-desc or none)";
                ok = false;
            }
        } else if (arg == "-u" || arg == "--undo-file") {
            ok = flag(o.undoFile);
        } else if (arg == "-n" || arg == "--simulate") {
            ok = flag(o.simulate);
        } else if (arg == "-i" || arg == "--confirm") {
            ok = flag(o.confirm);
        } else if (arg == "-l" || arg == "--log") {
            ok = flag(o.log);
        } else if (arg == "-q" || arg == "--quiet") {
            ok = flag(o.quiet);
        } else if (arg == "--preview") {
            ok = value(v);
            o.previews.push_back(v);
        } else if (arg == "--describe") {
            ok = flag(o.describe);
        } else if (arg == "--write-jobs") {
            ok = value(v);
            o.writeJobs = v;
        } else if (arg == "--encoding") {
            ok = value(o.encoding);
        } else if (arg == "--undo") {
            ok = flag(undo);
        } else if (arg == "-h" || arg == "--help") {
            ok = flag(o.help);
        } else if (arg == "-V" || arg == "--version") {
            ok = flag(o.version);
        } else {
            error = "unknown option: " + arg;
            ok = false;
        }
        if (!ok)
            return false;
    }
    if (o.help || o.version)
        return true;

    const bool jobCommands = !o.previews.empty() || o.describe || o.writeJobs.has_value();
    if (positional.size() > 1) {
        error = "only one folder may be given";
        return false;
    }
    if (undo) {
        if (positional.empty()) {
            error = "--undo needs a folder";
            return false;
        }
        if (jobCommands) {
            error = "--undo cannot be combined with --preview, --describe or --write-jobs";
            return false;
        }
        o.undoFolder = positional.front();
        return true;
    }
    if (!positional.empty()) {
        if (jobCommands) {
            error = "a folder cannot be combined with --preview, --describe or --write-jobs";
            return false;
        }
        o.folder = positional.front();
        return true;
    }
    if (!jobCommands) {
        error = "nothing to do: give a folder, --undo FOLDER, --preview, --describe or --write-jobs";
        return false;
    }
    return true;
}

} // namespace brindle
