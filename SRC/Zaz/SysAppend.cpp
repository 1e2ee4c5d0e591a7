#include "Zaz/SysAppend.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

int SYS_OpenForAppend(const std::string& path) {
    return open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
}

bool SYS_AppendToFile(const std::string& path, const char* data, std::size_t size) {
    // SIGXFSZ is blocked for this thread while writing; one raised by our own
    // write is taken back so that it is not delivered once unblocked.
    sigset_t xfsz, previous;
    sigemptyset(&xfsz);
    sigaddset(&xfsz, SIGXFSZ);
    pthread_sigmask(SIG_BLOCK, &xfsz, &previous);
    bool complete = false;
    bool overLimit = false;
    const int fd = SYS_OpenForAppend(path);
    if (fd >= 0) {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = write(fd, data + done, size - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                overLimit = n < 0 && errno == EFBIG;
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        complete = done == size;
        close(fd);
    }
    if (overLimit && !sigismember(&previous, SIGXFSZ)) {
        const timespec now = {0, 0};
        sigtimedwait(&xfsz, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return complete;
}
