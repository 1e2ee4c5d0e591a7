#ifndef TESTS_ZAZ_PROCESSHELPERS_H
#define TESTS_ZAZ_PROCESSHELPERS_H

#include <functional>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

/// A name no other test run uses: prefix, pid and a random suffix.
inline std::string UniqueName(const std::string& prefix) {
    return prefix + "_" + std::to_string(getpid()) + "_" + std::to_string(std::random_device()());
}

/// Single bytes as signals between a parent and its forked child.
class Pipe {
public:
    Pipe() {
        if (pipe(m_fds) != 0) {
            m_fds[0] = m_fds[1] = -1;
        }
    }
    ~Pipe() {
        Close(m_fds[0]);
        Close(m_fds[1]);
    }
    bool Send(char byte = 'x') { return write(m_fds[1], &byte, 1) == 1; }
    /// Blocks until a byte comes; false at end of stream.
    bool Receive(char* byte = nullptr) {
        char ignored;
        return read(m_fds[0], byte ? byte : &ignored, 1) == 1;
    }
    void CloseWrite() { Close(m_fds[1]); }

private:
    static void Close(int& fd) {
        if (fd >= 0) {
            close(fd);
        }
        fd = -1;
    }
    int m_fds[2];
};

/// Forks; the child runs `body` and leaves with _exit(its result), never
/// returning into the test framework.
inline pid_t StartChild(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        int code = 98;
        try {
            code = body();
        } catch (...) {
        }
        _exit(code);
    }
    return pid;
}

/// The exit status of a finished child, -1 when it did not exit normally.
inline int WaitChild(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif
