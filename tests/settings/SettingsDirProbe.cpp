// Prints the application folder, the settings folder and the kept job list path, one a line,
// so that the tests can run it from folders of their choosing, as another user and with the
// environment they set. "--no-create" asks for the folders without creating them.

#include <cstring>
#include <iostream>

#include "core/base/AppDir.h"

int main(int argc, char** argv)
{
    const bool create = !(argc > 1 && std::strcmp(argv[1], "--no-create") == 0);
    std::cout << brindle::getAppDir() << '\n'
              << brindle::getSettingsDir(create) << '\n'
              << brindle::keptJobListPath(create) << '\n';
    return 0;
}
