// The INI reader and the settings store's load on arbitrary files. Nothing may crash; a value
// written must read back as written, and a load that fails must fail with a message.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/base/FileIo.h"
#include "core/settings/AppSettings.h"
#include "core/settings/IniFile.h"

using namespace brindle;

namespace
{

// A plain buffer rather than a std::string: the clean-up at exit runs after static objects
// are gone.
char g_scratch[96];

void removeScratch()
{
    const std::string dir = g_scratch;
    ::unlink((dir + "brindle.ini").c_str());
    ::rmdir(dir.c_str());
}

std::string scratchFolder()
{
    static const bool made = [] {
        // tmpfs where there is one: the store syncs what it writes.
        std::snprintf(g_scratch, sizeof g_scratch, "%s/brindle-fuzz-settings-%d/",
            ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp", static_cast<int>(::getpid()));
        ::mkdir(g_scratch, 0700);
        std::atexit(removeScratch);
        return true;
    }();
    (void)made;
    return g_scratch;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    IniFile ini("unused");
    ini.setText(text);
    (void)ini.readValue("Booleans", "sort");
    ini.writeString("Strings", "path", "/a b/c");
    // Any value reads back as written (line breaks dropped), blanks and quotes included.
    const std::string_view value = text.substr(0, 40);
    ini.writeString("Fuzz\\Deep", "key", value);
    std::string expected;
    for (const char c : value) {
        if (c != '\n' && c != '\r')
            expected += c;
    }
    if (ini.readValue("Strings", "path") != "/a b/c" || ini.readValue("Fuzz\\Deep", "KEY") != expected)
        std::abort();
    // The written text reads back to the same values.
    IniFile again("unused");
    again.setText(ini.text());
    if (again.text() != ini.text() || again.readValue("Strings", "path") != "/a b/c")
        std::abort();

    // The application's store loading the bytes as its settings file.
    const std::string dir = scratchFolder();
    if (writeFileAtomically(dir + "brindle.ini", text).failed())
        return 0;
    SettingsStore store;
    initAppSettingsStore(store, dir);
    store.onMessage = [](const std::string& m) {
        if (m.empty())
            std::abort();
    };
    // Each step may fail, but only with a message; a failure ends the round as the window would.
    auto failed = [](const Result<void>& step) {
        if (!step.ok() && step.error().message.empty())
            std::abort();
        return !step.ok();
    };
    if (failed(store.loadValues()))
        return 0;
    AppOptions options;
    if (failed(loadSettings(store, options, dir)))
        return 0;
    if (options.stvWidth < 50 || options.filemaskHistory.size() > 10)
        std::abort();
    if (failed(saveSettings(options, store)))
        return 0;
    failed(store.saveValues());
    return 0;
}
