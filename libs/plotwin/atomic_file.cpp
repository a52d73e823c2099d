#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace plotwin {
namespace {

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool Fail(std::string* error, const std::string& what, int code) {
    if (error) *error = what + ": " + std::strerror(code);
    return false;
}

}  // namespace

bool ReplaceFileContents(const std::string& target, const std::string& text, std::string* error) {
    if (target.empty()) return Fail(error, "no file name", ENOENT);
    std::string path = target;
    if (char* resolved = realpath(target.c_str(), nullptr)) {
        path = resolved;
        free(resolved);
    }
    struct stat old {};
    const bool hadOld = stat(path.c_str(), &old) == 0;
    if (hadOld && S_ISDIR(old.st_mode)) return Fail(error, "cannot replace " + path, EISDIR);

    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + ".plotwin.tmp" + std::to_string(getpid()) + "-" +
               std::to_string(counter.fetch_add(1, std::memory_order_relaxed));
        // Not mkstemp: a new file gets the usual mode under the umask.
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return Fail(error, "cannot create a file in " + folder, errno);
    }
    if (fd < 0) return Fail(error, "cannot create a file in " + folder, EEXIST);

    std::string step;
    int code = 0;
    if (!WriteAll(fd, text)) {
        step = "cannot write " + temp;
    } else if (hadOld && fchmod(fd, old.st_mode & 07777) != 0) {
        step = "cannot set the mode of " + temp;
    } else if (fsync(fd) != 0) {
        step = "cannot flush " + temp;
    }
    if (!step.empty()) code = errno;
    if (close(fd) != 0 && step.empty()) {
        step = "cannot close " + temp;
        code = errno;
    }
    if (step.empty() && rename(temp.c_str(), path.c_str()) != 0) {
        step = "cannot rename " + temp + " to " + path;
        code = errno;
    }
    if (!step.empty()) {
        unlink(temp.c_str());
        return Fail(error, step, code);
    }
    // The rename itself is durable only once the folder is flushed; a failure here leaves a
    // complete file either way, so it is not reported.
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

}  // namespace plotwin
