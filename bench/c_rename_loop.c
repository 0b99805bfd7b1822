/* The reference for the end-to-end benchmark: the least a renamer must do. Lower-cases the
 * ASCII letters of every file name in FOLDER (and, with -r, in its subfolders), renaming
 * without replacing; with -n it prints the new names instead of renaming. */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static int dry, recurse, failures;

static void folder(int parent, const char *path)
{
    int fd = openat(parent, path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    DIR *d = fd < 0 ? NULL : fdopendir(fd);
    if (!d) {
        perror(path);
        failures++;
        return;
    }
    struct dirent *e;
    while ((e = readdir(d))) {
        if (e->d_name[0] == '.')
            continue;
        if (e->d_type == DT_DIR) {
            if (recurse)
                folder(fd, e->d_name);
            continue;
        }
        char to[256];
        size_t i = 0;
        for (; e->d_name[i]; i++)
            to[i] = (e->d_name[i] >= 'A' && e->d_name[i] <= 'Z') ? e->d_name[i] + 32 : e->d_name[i];
        to[i] = 0;
        if (dry)
            puts(to);
        else if (strcmp(to, e->d_name) != 0 && renameat2(fd, e->d_name, fd, to, RENAME_NOREPLACE) != 0)
            failures++;
    }
    closedir(d);
}

int main(int argc, char **argv)
{
    int opt;
    while ((opt = getopt(argc, argv, "nr")) != -1) {
        if (opt == 'n')
            dry = 1;
        else
            recurse = 1;
    }
    if (optind != argc - 1) {
        fprintf(stderr, "usage: %s [-n] [-r] FOLDER\n", argv[0]);
        return 2;
    }
    folder(AT_FDCWD, argv[optind]);
    return failures ? 1 : 0;
}
