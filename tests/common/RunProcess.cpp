#include "common/RunProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace brindle::test
{

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& extra)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string key = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string& x : extra)
            replaced = replaced || x.substr(0, x.find('=')) == key;
        if (!replaced)
            env.push_back(entry);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

std::vector<char*> cStringArray(std::vector<std::string>& v)
{
    std::vector<char*> out;
    for (std::string& s : v)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

ProcessResult runProcess(const std::vector<std::string>& argvIn, const std::string& input,
    const std::vector<std::string>& envExtra)
{
    int inPipe[2], outPipe[2], errPipe[2];
    if (::pipe2(inPipe, O_CLOEXEC) || ::pipe2(outPipe, O_CLOEXEC) || ::pipe2(errPipe, O_CLOEXEC))
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    std::vector<std::string> args = argvIn;
    std::vector<std::string> env = mergedEnvironment(envExtra);
    std::vector<char*> cargs = cStringArray(args);
    std::vector<char*> cenv = cStringArray(env);
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, cargs[0], &actions, nullptr, cargs.data(), cenv.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(inPipe[0]);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (rc != 0) {
        ::close(inPipe[1]);
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        throw std::runtime_error(std::string("cannot start ") + args[0] + ": " + std::strerror(rc));
    }

    ProcessResult result;
    std::size_t written = 0;
    int inFd = inPipe[1];
    if (input.empty()) {
        ::close(inFd);
        inFd = -1;
    }
    ::signal(SIGPIPE, SIG_IGN);
    int open = 2;
    while (open > 0 || inFd >= 0) {
        pollfd fds[3];
        int n = 0;
        if (outPipe[0] >= 0)
            fds[n++] = {outPipe[0], POLLIN, 0};
        if (errPipe[0] >= 0)
            fds[n++] = {errPipe[0], POLLIN, 0};
        if (inFd >= 0)
            fds[n++] = {inFd, POLLOUT, 0};
        if (::poll(fds, static_cast<nfds_t>(n), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int k = 0; k < n; ++k) {
            if (!fds[k].revents)
                continue;
            if (fds[k].fd == inFd) {
                const ssize_t w = ::write(inFd, input.data() + written, input.size() - written);
                // A signal before anything was written: poll again.
                if (w < 0 && errno == EINTR)
                    continue;
                if (w > 0)
                    written += static_cast<std::size_t>(w);
                if (w < 0 || written == input.size()) {
                    ::close(inFd);
                    inFd = -1;
                }
                continue;
            }
            char buf[65536];
            const ssize_t r = ::read(fds[k].fd, buf, sizeof buf);
            if (r < 0 && errno == EINTR)
                continue;
            std::string& target = fds[k].fd == outPipe[0] ? result.out : result.err;
            if (r > 0) {
                target.append(buf, static_cast<std::size_t>(r));
            } else {
                if (fds[k].fd == outPipe[0])
                    outPipe[0] = -1;
                else
                    errPipe[0] = -1;
                ::close(fds[k].fd);
                --open;
            }
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace brindle::test
