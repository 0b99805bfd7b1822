/* A stand-in for libxml2.so.2 that a test plants in a folder to see whether a program loads it.
 * It carries libxml2's version nodes and the data symbols a program copies at load time, so
 * the loader accepts it in place of the real library; its constructor then leaves a marker
 * file in the current folder. The functions are never called: it lacks them, so the program
 * refuses it when it looks them up. */

#include <fcntl.h>
#include <stddef.h>
#include <unistd.h>

typedef void (*FreeFunc)(void*);
typedef void* (*MallocFunc)(size_t);
typedef void* (*ReallocFunc)(void*, size_t);
typedef char* (*StrdupFunc)(const char*);

FreeFunc xmlFree;
MallocFunc xmlMalloc;
MallocFunc xmlMallocAtomic;
ReallocFunc xmlRealloc;
StrdupFunc xmlMemStrdup;

__attribute__((constructor)) static void leaveMarker(void)
{
    const int fd = open("planted-library-ran", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        static const char kText[] = "the planted libxml2.so.2 was loaded\n";
        const ssize_t written = write(fd, kText, sizeof kText - 1);
        (void)written;
        close(fd);
    }
}
