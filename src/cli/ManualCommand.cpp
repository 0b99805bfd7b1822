#include "cli/ManualCommand.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <map>

#include "cli/CliRun.h"
#include "cli/CliTerminal.h"
#include "cli/EditSession.h"
#include "core/base/FileIo.h"
#include "core/run/ManualNames.h"
#include "core/run/NameListFile.h"
#include "core/run/NameText.h"
#include "core/run/RenameRun.h"

namespace brindle
{

namespace
{

bool isFolder(const std::string& path)
{
    struct stat st {
    };
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

/// Whether path names something that exists and is no folder; a link to a folder is a FOLDER,
/// as the starting folder may be reached through a link.
bool isFileArgument(const std::string& path)
{
    struct stat st {
    };
    return ::lstat(path.c_str(), &st) == 0 && !isFolder(path);
}

/// The names on standard input, one a line or ended by NUL bytes; empty ones left out.
std::vector<std::string> namesFromStdin(bool nul)
{
    std::string text;
    // What could be read is used; a read error ends the input as its end would.
    (void)readAll(STDIN_FILENO, text);
    std::vector<std::string> names;
    const char end = nul ? '\0' : '\n';
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t stop = std::min(text.find(end, at), text.size());
        if (stop > at)
            names.emplace_back(text, at, stop - at);
        at = stop + 1;
    }
    return names;
}

/// The folder a FILE argument is in, and its name there.
std::pair<std::string, std::string> folderAndName(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.ends_with('/'))
        p.pop_back();
    const std::size_t slash = p.rfind('/');
    if (slash == std::string::npos)
        return {".", p};
    return {slash == 0 ? "/" : p.substr(0, slash), p.substr(slash + 1)};
}

/// The list's names for the tree at folder: by folder below it (paths only with --recurse).
/// Names the tree does not hold are reported on standard error and left out.
ManualNames namesForFolder(const CliOptions& o, const std::vector<NamePair>& list, const std::string& folder)
{
    ManualNames names;
    std::vector<std::string> missing;
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const NamePair& pair : list) {
        auto [sub, name] = splitRelative(pair.oldName);
        struct stat st {
        };
        const std::string rel = joinRelative(sub, name);
        const bool fits = !name.empty() && (o.recurse || sub.empty());
        if (!fits || dir < 0 || ::fstatat(dir, rel.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            missing.push_back(escapeName(pair.oldName) + " (line " + std::to_string(pair.line) + ")");
            continue;
        }
        // A new name written as a path in the same folder stands for its last part; any other
        // path is left for the plan to refuse, as renaming never moves an entry.
        std::string newName = pair.newName;
        if (auto [newSub, last] = splitRelative(newName); !sub.empty() && newSub == sub && !last.empty())
            newName = std::move(last);
        names.folder(sub).set(std::move(name), std::move(newName));
    }
    if (dir >= 0)
        ::close(dir);
    if (!missing.empty()) {
        std::string text = folder + ": " + std::to_string(missing.size())
            + (missing.size() == 1 ? " name of the list is" : " names of the list are") + " not there"
            + (o.recurse ? "" : " (paths below the folder need --recurse)") + ":";
        for (const std::string& m : missing)
            text += "\n  " + m;
        printMessage(text);
    }
    return names;
}

} // namespace

bool renamesByHand(const CliOptions& o)
{
    if (o.fromList || o.edit || o.stdinNames)
        return true;
    return std::any_of(o.folders.begin(), o.folders.end(), isFileArgument);
}

int runByHand(const CliOptions& o, RenameSession& session)
{
    // 1. The list.
    std::vector<NamePair> list;
    if (o.fromList) {
        std::string text;
        if (const SysError e = readWholeFile(*o.fromList, text)) {
            printMessage("" + *o.fromList + ": " + e.text());
            return kExitUsage;
        }
        auto parsed = parseNameList(text, o.nullSeparated ? NameListFormat::Nul : NameListFormat::Detect);
        if (!parsed.ok()) {
            printMessage("" + *o.fromList + ": " + parsed.error().message);
            return kExitUsage;
        }
        list = std::move(parsed).value();
    }
    if (!o.fromList && session.jobs.empty() && !o.edit) {
        printMessage(kNothingToDo);
        return kExitUsage;
    }

    // 2. What to rename: the FOLDERs, and the FILEs by the folder they are in, in the order
    //    given.
    std::vector<std::string> args = o.folders;
    if (o.stdinNames) {
        std::vector<std::string> more = namesFromStdin(o.nullSeparated);
        args.insert(args.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    }
    struct Target {
        std::string folder;
        ManualNames names;
        bool files = false;
    };
    std::vector<Target> targets;
    std::map<std::string, std::size_t> fileFolders;
    for (const std::string& arg : args) {
        if (!isFileArgument(arg)) {
            targets.push_back({arg, namesForFolder(o, list, arg), false});
            continue;
        }
        auto [folder, name] = folderAndName(arg);
        auto [it, added] = fileFolders.try_emplace(folder, targets.size());
        if (added) {
            Target t {folder, namesForFolder(o, list, folder), true};
            t.names.folder("").setOnlyChosen(true);
            targets.push_back(std::move(t));
        }
        targets[it->second].names.folder("").choose(std::move(name));
    }
    if (targets.empty()) {
        printMessage("no file to rename");
        return kExitUsage;
    }

    // 3. Each in turn, through the editor first when asked.
    CliOptions each = o;
    each.folders.clear();
    for (const Target& t : targets)
        each.folders.push_back(t.folder);
    setColour(o.simulate && colourWanted());
    ProgressLine progress(!o.quiet && isCapableTerminal(STDERR_FILENO), o.simulate);
    const std::string editor = chosenEditor();
    CliReport report;
    int status = kExitOk;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        Target& t = targets[i];
        CliOptions one = each;
        if (t.files) {
            // The files named are renamed whatever the mask, and nothing below them.
            one.mask = "*";
            one.recurse = false;
        }
        if (o.edit) {
            const EditOutcome edited = editNames(one, session, t.folder, t.names.folder(""), editor);
            if (edited == EditOutcome::Failed)
                status = std::max(status, kExitFailed);
            if (edited != EditOutcome::Go)
                continue;
        }
        const FolderOutcome outcome = runFolder(one, i, session, progress, report, &t.names);
        status = std::max(status, outcome.exitCode);
        if (outcome.stopAll)
            break;
    }
    if (o.json) {
        const std::string document = jsonDocument(o, report, status);
        std::fwrite(document.data(), 1, document.size(), stdout);
        std::fflush(stdout);
    }
    return status;
}

} // namespace brindle
