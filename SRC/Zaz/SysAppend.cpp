#include "Zaz/SysAppend.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

int SYS_OpenForAppend(const std::string& path) {
    // O_NONBLOCK: opening a FIFO for writing must not wait for a reader.
    const int fd = open(path.c_str(),
                        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    struct stat info;
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid())) {
        close(fd);
        errno = EPERM;
        return -1;
    }
    return fd;
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
