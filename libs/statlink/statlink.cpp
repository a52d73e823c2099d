#include "statlink.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/futex.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

namespace {

constexpr int kChannels = 4;
constexpr int kWordsPerChannel = 3;
constexpr int kWords = kChannels * kWordsPerChannel;

enum Word { kMain = 0, kChildStatus = 1, kChildError = 2 };

using Word32 = std::atomic<int32_t>;
static_assert(sizeof(Word32) == sizeof(int32_t), "an atomic word must have the plain layout");
static_assert(Word32::is_always_lock_free, "words shared between processes must be lock-free");

using Counter = std::atomic<uint32_t>;
static_assert(sizeof(Counter) == sizeof(uint32_t), "the counter is a plain futex word");

// The layout of the shared object. The words stay at offset 0 (word 3c+w of channel c); later
// fields go after them, and kSegmentBytes follows the struct. An object made smaller (by an
// older build or another tool) is grown to this size when it is mapped.
struct SharedBlock {
    Word32 words[kWords];
    // Moved on by every setter, which then wakes the waiters (a futex on it) of every process.
    Counter changes;
};
static_assert(offsetof(SharedBlock, words) == 0, "the words start the segment");
static_assert(offsetof(SharedBlock, changes) == kWords * sizeof(int32_t), "the counter follows");
constexpr off_t kSegmentBytes = sizeof(SharedBlock);

// What a process that attaches as the only user starts from: every field of the block zero.
void ClearBlock(SharedBlock* block) {
    for (Word32& w : block->words) w.store(0, std::memory_order_relaxed);
    block->changes.store(0, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
}

// One mapped segment, kept for the life of the process. Segments form a list so that a name
// seen before is mapped only once.
struct Segment {
    std::string key;  // $VANTREL_STATLINK as found ("" when unset)
    // Null while the segment could not be made; read without the lock by every call.
    std::atomic<SharedBlock*> block{nullptr};
    int fd = -1;              // kept open: its shared flock marks this process as a user
    int64_t failedAtMs = 0;   // when making it last failed, to retry only now and then (locked)
    bool complained = false;  // the refusal was printed once (locked)
    // The lock of the watch duty while this process holds it; set under the map lock, read by
    // every wait without it.
    std::atomic<int> watchFd{-1};
    // The duty holder's look for words written without the library: the words and the counter
    // as the last look found them (lookMutex).
    std::mutex lookMutex;
    int32_t lookWords[kWords] = {};
    uint32_t lookCount = 0;
    Segment* next = nullptr;
};

std::atomic<Segment*> g_current{nullptr};
Segment* g_all = nullptr;  // guarded by g_mapMutex
std::mutex g_mapMutex;

constexpr int64_t kRetryMs = 1000;
// How long an attacher waits for another one that is clearing the words (which takes
// microseconds) before it gives up for now.
constexpr int kAttachTries = 2000;

int64_t MonotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// The environment's choice of segment, compared on every call; cheap, no formatting.
const char* WantedKey() {
    const char* env = getenv("VANTREL_STATLINK");
    return env ? env : "";
}

// The shared-memory name for a key, written into buf. Returns buf.
const char* NameOfKey(const char* env, char* buf, size_t size) {
    if (*env) {
        // shm_open names begin with "/"; accept a bare name as well.
        snprintf(buf, size, "%s%s", env[0] == '/' ? "" : "/", env);
    } else {
        snprintf(buf, size, "/vantrel-statlink-%u", static_cast<unsigned>(getuid()));
    }
    return buf;
}

// Why a segment is not used, printed once per segment; the calls then act as if there were no
// segment (reads 0, writes dropped).
void Complain(Segment* seg, const char* name, const char* why) {
    if (seg->complained) return;
    seg->complained = true;
    fprintf(stderr, "statlink: status-word segment %s not used: %s; status words are off\n", name,
            why);
}

const char* ForeignOwnerText(uid_t owner, char* buf, size_t size) {
    snprintf(buf, size, "it belongs to user %u, not to this user (%u)",
             static_cast<unsigned>(owner), static_cast<unsigned>(geteuid()));
    return buf;
}

// Accepts only a regular object owned by this user with no access for anyone else; an own
// object open to others is made private.
bool CheckOwnership(Segment* seg, const char* name, int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        Complain(seg, name, strerror(errno));
        return false;
    }
    char why[160];
    if (!S_ISREG(st.st_mode)) {
        Complain(seg, name, "it is not a shared-memory object");
        return false;
    }
    if (st.st_uid != geteuid()) {
        Complain(seg, name, ForeignOwnerText(st.st_uid, why, sizeof why));
        return false;
    }
    if ((st.st_mode & 077) != 0) {
        const unsigned mode = static_cast<unsigned>(st.st_mode & 07777);
        if (fchmod(fd, 0600) != 0) {
            snprintf(why, sizeof why, "it is open to other users (mode %04o): %s", mode,
                     strerror(errno));
            Complain(seg, name, why);
            return false;
        }
        fprintf(stderr,
                "statlink: status-word segment %s was open to other users (mode %04o); "
                "it is private now\n",
                name, mode);
    }
    return true;
}

// The open failed: say whose object stands in the way when it is someone else's.
void ComplainAboutOpen(Segment* seg, const char* name, int openErrno) {
    char why[160];
    struct stat st {};
    const std::string path = std::string("/dev/shm") + name;
    if (openErrno == EACCES && stat(path.c_str(), &st) == 0 && st.st_uid != geteuid()) {
        Complain(seg, name, ForeignOwnerText(st.st_uid, why, sizeof why));
    } else {
        Complain(seg, name, strerror(openErrno));
    }
}

bool TryFlock(int fd, int operation) {
    int rc;
    do {
        rc = flock(fd, operation | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

// Every process that uses the segment holds a shared flock on it for its whole life. An
// attacher that gets it exclusively is the only user: it clears what earlier processes left,
// then keeps it shared. Nobody touches the words before holding the shared lock, so no
// exclusive holder can clear a word that a running process has set. Linux turns an exclusive
// lock into a shared one by dropping it first; another attacher may take it exclusively in that
// moment and clear again, which is harmless because nobody has used the words yet, and the
// conversion then fails and is retried.
bool Attach(int fd, SharedBlock* block) {
    for (int tries = 0; tries < kAttachTries; ++tries) {
        if (TryFlock(fd, LOCK_EX)) ClearBlock(block);
        if (TryFlock(fd, LOCK_SH)) return true;
        const timespec ms{0, 1000000};
        nanosleep(&ms, nullptr);
    }
    return false;
}

// Opens, checks, maps and attaches the segment; on success its descriptor stays open in seg.
SharedBlock* MapSegment(Segment* seg, const char* name) {
    // No O_EXCL: whichever process comes first creates it, all others open the same object.
    int fd = shm_open(name, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        ComplainAboutOpen(seg, name, errno);
        return nullptr;
    }
    if (!CheckOwnership(seg, name, fd)) {
        close(fd);
        return nullptr;
    }
    struct stat st {};
    // Growing is zero-filled, and two processes growing at once both reach the same size, so
    // no creation lock is needed. Never shrink an object someone else made larger.
    if (fstat(fd, &st) != 0 || (st.st_size < kSegmentBytes && ftruncate(fd, kSegmentBytes) != 0)) {
        close(fd);
        return nullptr;
    }
    void* p = mmap(nullptr, kSegmentBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    SharedBlock* block = static_cast<SharedBlock*>(p);
    if (!Attach(fd, block)) {
        munmap(p, kSegmentBytes);
        close(fd);
        return nullptr;
    }
    seg->fd = fd;
    return block;
}

// The block of the segment the environment names now, or null when it cannot be used; *found
// gets its segment when given.
SharedBlock* Block(Segment** found = nullptr) {
    const char* key = WantedKey();
    Segment* seg = g_current.load(std::memory_order_acquire);
    if (seg && seg->key == key) {  // the every-call path
        if (SharedBlock* block = seg->block.load(std::memory_order_acquire)) {
            if (found) *found = seg;
            return block;
        }
    }

    std::lock_guard<std::mutex> lock(g_mapMutex);
    seg = nullptr;
    for (Segment* s = g_all; s; s = s->next) {
        if (s->key == key) {
            seg = s;
            break;
        }
    }
    if (!seg) {
        seg = new Segment;
        seg->key = key;
        seg->next = g_all;
        g_all = seg;
    } else if (!seg->block.load(std::memory_order_relaxed) &&
               MonotonicMs() - seg->failedAtMs < kRetryMs) {
        g_current.store(seg, std::memory_order_release);
        return nullptr;
    }
    SharedBlock* block = seg->block.load(std::memory_order_relaxed);
    if (!block) {
        char name[512];
        block = MapSegment(seg, NameOfKey(key, name, sizeof name));
        if (block) {
            seg->block.store(block, std::memory_order_release);
        } else {
            seg->failedAtMs = MonotonicMs();
        }
    }
    g_current.store(seg, std::memory_order_release);
    if (found) *found = seg;
    return block;
}

Word32* WordOf(int channel, Word word) {
    if (channel < 0 || channel >= kChannels) return nullptr;
    SharedBlock* block = Block();
    if (!block) return nullptr;
    return &block->words[channel * kWordsPerChannel + word];
}

long Futex(Counter* word, int op, uint32_t value, const timespec* timeout) {
    // Not FUTEX_PRIVATE_FLAG: the waiters sit in other processes' mappings of the object.
    return syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), op, value, timeout, nullptr, 0);
}

// A word changed: the counter moves on and every waiter of every process wakes.
void AnnounceChange(SharedBlock* block) {
    block->changes.fetch_add(1, std::memory_order_release);
    Futex(&block->changes, FUTEX_WAKE, INT_MAX, nullptr);
}

// The duty holder's look: a word that differs from the last look while the counter has not
// moved was written without the library, and every waiter of every process hears of it. A setter
// caught between its store and its count gives one wake too many, never one too few.
// The first look (announce = false) is taken with the duty.
void LookForForeignWrites(Segment* seg, SharedBlock* block, bool announce = true) {
    std::lock_guard<std::mutex> lock(seg->lookMutex);
    const uint32_t count = block->changes.load(std::memory_order_acquire);
    bool differs = false;
    for (int i = 0; i < kWords; ++i) {
        const int32_t word = block->words[i].load(std::memory_order_acquire);
        differs = differs || word != seg->lookWords[i];
        seg->lookWords[i] = word;
    }
    if (announce && differs && count == seg->lookCount) AnnounceChange(block);
    seg->lookCount = block->changes.load(std::memory_order_acquire);
}

int Set(int channel, Word word, int value) {
    if (channel < 0 || channel >= kChannels) return -1;
    SharedBlock* block = Block();
    if (!block) return -1;
    block->words[channel * kWordsPerChannel + word].store(value, std::memory_order_release);
    AnnounceChange(block);
    return 0;
}

int Get(int channel, Word word) {
    Word32* w = WordOf(channel, word);
    return w ? w->load(std::memory_order_acquire) : 0;
}

void SleepMs(int ms) {
    timespec ts{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

}  // namespace

extern "C" {

unsigned slk_ChangeCount(void) {
    SharedBlock* block = Block();
    return block ? block->changes.load(std::memory_order_acquire) : 0;
}

unsigned slk_WaitChange(unsigned seen, int timeoutMs) {
    Segment* seg = nullptr;
    SharedBlock* block = Block(&seg);
    if (!block) {
        SleepMs(timeoutMs < 0 ? 1000 : timeoutMs);
        return 0;
    }
    const timespec timeout{timeoutMs / 1000, static_cast<long>(timeoutMs % 1000) * 1000000L};
    // FUTEX_WAIT returns at once when the counter is no longer `seen`; a wake, a signal or the
    // time-out all end it, and the caller looks at the counter again.
    if (block->changes.load(std::memory_order_acquire) == seen) {
        Futex(&block->changes, FUTEX_WAIT, seen, timeoutMs < 0 ? nullptr : &timeout);
    }
    if (seg->watchFd.load(std::memory_order_acquire) >= 0) LookForForeignWrites(seg, block);
    return block->changes.load(std::memory_order_acquire);
}

void slk_NoteChange(void) {
    if (SharedBlock* block = Block()) AnnounceChange(block);
}

int slk_TakeWatch(void) {
    Segment* seg = nullptr;
    if (!Block(&seg)) return 0;
    if (seg->watchFd.load(std::memory_order_acquire) >= 0) return 1;  // the every-look path
    std::lock_guard<std::mutex> lock(g_mapMutex);
    if (seg->watchFd.load(std::memory_order_relaxed) >= 0) return 1;
    char name[512];
    NameOfKey(seg->key.c_str(), name, sizeof name - 8);
    const std::string lockName = std::string(name) + ".watch";
    const int fd = shm_open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return 0;
    // Held for the life of the process; the kernel lets go of it when the process ends.
    if (!TryFlock(fd, LOCK_EX)) {
        close(fd);
        return 0;
    }
    LookForForeignWrites(seg, seg->block.load(std::memory_order_acquire), false);
    seg->watchFd.store(fd, std::memory_order_release);
    return 1;
}

int slk_SetMainSta(int channel, int value) {
    return Set(channel, kMain, value);
}
int slk_GetMainSta(int channel) {
    return Get(channel, kMain);
}
int slk_SetChildSta(int channel, int value) {
    return Set(channel, kChildStatus, value);
}
int slk_GetChildSta(int channel) {
    return Get(channel, kChildStatus);
}
int slk_SetChildErr(int channel, int code) {
    return Set(channel, kChildError, code);
}
int slk_GetChildErr(int channel) {
    return Get(channel, kChildError);
}

}  // extern "C"
