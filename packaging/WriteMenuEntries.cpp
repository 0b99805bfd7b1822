// Writes the file manager entries that an installation puts into the system's data folder: the
// Dolphin service menu, the Thunar Send To entry and the Nemo action, each starting PROGRAM on
// the selected folders. They are the same texts "Place Brindlewick in Send To" writes for one
// user, without the line that marks a user's copy (a user's own copy of the same name hides the
// system's). Nautilus has no folder for scripts of every user.
//
//   brindle_menu_entries PROGRAM DATADIR     e.g. /usr/bin/brindlewick /tmp/stage/usr/share

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "core/base/FileIo.h"
#include "core/desktop/SendTo.h"

int main(int argc, char** argv)
{
    if (argc != 3 || argv[2][0] != '/') {
        std::fprintf(stderr, "usage: %s PROGRAM DATADIR (an absolute path)\n", argv[0]);
        return 2;
    }
    const std::string program = argv[1];
    std::string data = argv[2];
    if (data.back() != '/')
        data += '/';
    for (const brindle::MenuEntry entry : {brindle::MenuEntry::DolphinServiceMenu,
             brindle::MenuEntry::ThunarSendTo, brindle::MenuEntry::NemoAction}) {
        const std::string path = data + brindle::menuEntryPath(entry);
        const brindle::Result<std::string> text = brindle::menuEntryText(entry, program, false);
        if (!text.ok()) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), text.error().message.c_str());
            return 1;
        }
        // mkdir -p, then the file, readable by everyone.
        if (const brindle::SysError e = brindle::makeFolders(brindle::folderOf(path), 0755)) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), e.text().c_str());
            return 1;
        }
        if (const brindle::SysError e = brindle::writeFileAtomically(path, text.value())) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), e.text().c_str());
            return 1;
        }
        if (::chmod(path.c_str(), 0644) != 0) {
            std::fprintf(stderr, "%s: cannot set its permissions\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
