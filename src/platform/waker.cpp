#include "platform/waker.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <vector>

namespace {

// The list is locked by raisers and by wakers coming and going, never while anyone waits. Both
// are never destroyed: a thread may still raise the wakers while the process exits.
std::mutex& ListLock() {
    static auto* lock = new std::mutex;
    return *lock;
}
std::vector<Waker*>& List() {
    static auto* list = new std::vector<Waker*>;
    return *list;
}

}  // namespace

Waker::Waker() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (fd_ < 0) return;
    std::lock_guard<std::mutex> hold(ListLock());
    List().push_back(this);
}

Waker::~Waker() {
    if (fd_ < 0) return;
    {
        std::lock_guard<std::mutex> hold(ListLock());
        auto& list = List();
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    close(fd_);
}

void Waker::Raise() {
    if (fd_ < 0) return;
    const uint64_t one = 1;
    // A full counter (never reached in practice) is as raised as it can be.
    while (write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void Waker::Clear() {
    if (fd_ < 0) return;
    uint64_t count = 0;
    while (read(fd_, &count, sizeof count) < 0 && errno == EINTR) {
    }
}

void RaiseWakers() {
    std::lock_guard<std::mutex> hold(ListLock());
    for (Waker* waker : List()) waker->Raise();
}
