#include "common/TerminalProcess.h"

#include "common/RunProcess.h"

#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <thread>

namespace brindle::test
{

namespace
{

void writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t w = ::write(fd, text.data() + done, text.size() - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return;
        done += static_cast<std::size_t>(w);
    }
}

} // namespace

TerminalResult runOnTerminal(const std::vector<std::string>& argvIn, const std::vector<TerminalStep>& steps,
    const std::vector<std::string>& envExtra)
{
    std::vector<std::string> args = argvIn;
    std::vector<std::string> env = mergedEnvironment(envExtra);
    std::vector<char*> cargs = cStringArray(args);
    std::vector<char*> cenv = cStringArray(env);

    termios raw {};
    ::cfmakeraw(&raw);
    winsize size {};
    size.ws_row = 24;
    size.ws_col = 80;
    int master = -1;
    // forkpty: the child gets a new session with the terminal as its controlling terminal and
    // as its standard input, output and error.
    const pid_t pid = ::forkpty(&master, nullptr, &raw, &size);
    if (pid < 0)
        throw std::runtime_error("forkpty failed");
    if (pid == 0) {
        ::execve(cargs[0], cargs.data(), cenv.data());
        ::_exit(127);
    }

    TerminalResult result;
    std::size_t step = 0;
    std::size_t searchFrom = 0;
    for (;;) {
        // Answer every step whose text has come.
        while (step < steps.size()) {
            const std::size_t at = result.output.find(steps[step].waitFor, searchFrom);
            if (at == std::string::npos)
                break;
            searchFrom = at + steps[step].waitFor.size();
            std::this_thread::sleep_for(steps[step].delay);
            writeAll(master, steps[step].send);
            ++step;
        }
        pollfd fd {master, POLLIN, 0};
        if (::poll(&fd, 1, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        char buf[65536];
        const ssize_t r = ::read(master, buf, sizeof buf);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) // EIO: every descriptor of the terminal in the program is closed
            break;
        result.output.append(buf, static_cast<std::size_t>(r));
    }
    ::close(master);
    result.stepsMissed = steps.size() - step;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace brindle::test
