// Waking a waiting thread at once: each waiting thread owns a Waker (an eventfd) and polls its
// descriptor beside the others it waits on; a thread that changes something the waiting threads
// read raises every Waker of the process. A spurious wake-up costs one look at the thread's
// work and nothing else, so one process-wide raise serves every kind of change.
#pragma once

#include <poll.h>

#include <cstdint>

class Waker {
  public:
    // Makes the eventfd and enters it in the process's list; fd() is -1 when none could be made
    // (the thread then sees changes when its next time limit ends).
    Waker();
    // Leaves the list before the descriptor is closed, so no raise reaches a reused descriptor.
    ~Waker();
    Waker(const Waker&) = delete;
    Waker& operator=(const Waker&) = delete;

    int fd() const { return fd_; }
    // Thread-safe; never blocks.
    void Raise();
    // Called by the owner when its wait found the waker raised, before it looks at what may have
    // changed: a raise after this stays pending until the next Clear, so a change made while the
    // owner works is never missed. (Clearing only then saves a system call per look.)
    void Clear();

  private:
    int fd_ = -1;
};

// Raises every Waker of the process. Thread-safe; never blocks for long (one eventfd write per
// waiting thread).
void RaiseWakers();
