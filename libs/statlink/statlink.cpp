#include "statlink.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>

namespace {

constexpr int kChannels = 4;
constexpr int kWordsPerChannel = 3;
constexpr int kWords = kChannels * kWordsPerChannel;
constexpr off_t kSegmentBytes = kWords * sizeof(int32_t);

enum Word { kMain = 0, kChildStatus = 1, kChildError = 2 };

using Word32 = std::atomic<int32_t>;
static_assert(sizeof(Word32) == sizeof(int32_t), "an atomic word must have the plain layout");
static_assert(Word32::is_always_lock_free, "words shared between processes must be lock-free");

// One mapped segment, kept for the life of the process. Segments form a list so that a name
// seen before is mapped only once.
struct Segment {
    std::string key;  // $VANTREL_STATLINK as found ("" when unset)
    // Null while the segment could not be made; read without the lock by every call.
    std::atomic<Word32*> words{nullptr};
    int64_t failedAtMs = 0;  // when making it last failed, to retry only now and then (locked)
    Segment* next = nullptr;
};

std::atomic<Segment*> g_current{nullptr};
Segment* g_all = nullptr;  // guarded by g_mapMutex
std::mutex g_mapMutex;

constexpr int64_t kRetryMs = 1000;

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

Word32* MapSegment(const char* name) {
    // No O_EXCL: whichever process comes first creates it, all others open the same object.
    int fd = shm_open(name, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        close(fd);
        return nullptr;
    }
    // Growing is zero-filled, and two processes growing at once both reach the same size, so
    // no creation lock is needed. Never shrink an object someone else made larger.
    if (st.st_size < kSegmentBytes && ftruncate(fd, kSegmentBytes) != 0) {
        close(fd);
        return nullptr;
    }
    void* p = mmap(nullptr, kSegmentBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (p == MAP_FAILED) return nullptr;
    return static_cast<Word32*>(p);
}

// The words of the segment the environment names now, or null when it cannot be made.
Word32* Words() {
    const char* key = WantedKey();
    Segment* seg = g_current.load(std::memory_order_acquire);
    if (seg && seg->key == key) {  // the every-call path
        if (Word32* words = seg->words.load(std::memory_order_acquire)) return words;
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
    } else if (!seg->words.load(std::memory_order_relaxed) &&
               MonotonicMs() - seg->failedAtMs < kRetryMs) {
        g_current.store(seg, std::memory_order_release);
        return nullptr;
    }
    Word32* words = seg->words.load(std::memory_order_relaxed);
    if (!words) {
        char name[512];
        words = MapSegment(NameOfKey(key, name, sizeof name));
        if (words) {
            seg->words.store(words, std::memory_order_release);
        } else {
            seg->failedAtMs = MonotonicMs();
        }
    }
    g_current.store(seg, std::memory_order_release);
    return words;
}

Word32* WordOf(int channel, Word word) {
    if (channel < 0 || channel >= kChannels) return nullptr;
    Word32* words = Words();
    if (!words) return nullptr;
    return &words[channel * kWordsPerChannel + word];
}

int Set(int channel, Word word, int value) {
    Word32* w = WordOf(channel, word);
    if (!w) return -1;
    w->store(value, std::memory_order_release);
    return 0;
}

int Get(int channel, Word word) {
    Word32* w = WordOf(channel, word);
    return w ? w->load(std::memory_order_acquire) : 0;
}

}  // namespace

extern "C" {

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
