#pragma once

#include <string>
#include <string_view>

namespace brindle
{

/// The full path of the running executable; empty when it cannot be read.
std::string executablePath();

/// The folder of the running executable, ending with "/".
std::string getAppDir();

/// The folder for the settings file and the kept job list: the application folder when it is
/// writable and not a system program folder, otherwise $XDG_CONFIG_HOME/brindlewick/ (default
/// ~/.config/brindlewick/), created when create is true and it does not exist yet. Ends with "/".
std::string getSettingsDir(bool create = true);

/// Whether dir (ending with "/") lies in a folder that the system's packages own (/usr/...,
/// /bin/, /sbin/ and the like), where a program never keeps its settings.
bool isSystemProgramFolder(std::string_view dir);

/// The choice getSettingsDir makes, given the application folder and whether it can be
/// written: the application folder (unless it is a system program folder), or the user's configuration folder
/// for the program (XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config, else the home folder of
/// the password database + /.config), created when asked. With no home folder at all: appDir.
std::string chooseSettingsDir(const std::string& appDir, bool appDirWritable, bool create);

/// The user's home folder: $HOME when it is an absolute path, else the one of the password
/// database; empty when neither is known.
std::string userHomeDir();

/// An XDG base folder ending with "/": the environment variable envName when it holds an
/// absolute path, else the home folder followed by homeRelative (".config", ".local/share");
/// empty when neither is known.
std::string xdgBaseDir(const char* envName, const char* homeRelative);

/// Where the help page helpFile (such as "help/index.html") is read: below the application folder
/// appDir when it is there, else, for a program installed in a bin folder beside share, below
/// appDir/../share/brindlewick/ when it is there; the first when neither is.
std::string helpFilePath(const std::string& appDir, const std::string& helpFile);

/// The kept job list file: getSettingsDir() followed by "brindle_job_config.xml".
std::string keptJobListPath(bool create = true);

inline constexpr const char* kKeptJobListName = "brindle_job_config.xml";

} // namespace brindle
