#include "coordination/status_watch.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <system_error>
#include <thread>

#include "platform/waker.h"
#include "statlink.h"

namespace {

// How often the others ask for the duty.
constexpr int kAskForDutyMs = 1000;

constexpr int kWords = 12;

std::atomic<unsigned> g_changes{0};
using WordImage = std::array<int32_t, kWords>;

WordImage ReadWords() {
    WordImage words{};
    for (int ch = 0; ch < kWords / 3; ++ch) {
        words[3 * ch] = slk_GetMainSta(ch);
        words[3 * ch + 1] = slk_GetChildSta(ch);
        words[3 * ch + 2] = slk_GetChildErr(ch);
    }
    return words;
}

const char* SegmentKey() {
    const char* key = getenv("VANTREL_STATLINK");
    return key ? key : "";
}

// The duty holder's waits end every 10 ms, and the library then looks at the words: one written
// without the library moves the counter, so every process wakes on it. The others look for
// themselves once a second, for words written while the duty changed hands.
[[noreturn]] void Watch() {
    unsigned seen = slk_ChangeCount();
    std::string key = SegmentKey();
    WordImage last = ReadWords();
    for (;;) {
        const bool duty = slk_TakeWatch() == 1;
        const unsigned count = slk_WaitChange(seen, duty ? kStatusLookMs : kAskForDutyMs);
        bool changed = count != seen;
        seen = count;
        if (!duty) {
            const WordImage words = ReadWords();
            changed = changed || words != last;
            last = words;
        }
        // The environment names another object (a test's own segment): its words are what the
        // waiting threads read from now on.
        if (key != SegmentKey()) {
            key = SegmentKey();
            changed = true;
        }
        if (changed) {
            g_changes.fetch_add(1, std::memory_order_release);
            RaiseWakers();
        }
    }
}

}  // namespace

bool WatchStatusWords() {
    static const bool started = [] {
        try {
            // Lives as long as the process; it holds nothing that needs an orderly end.
            std::thread(Watch).detach();
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    }();
    return started;
}

unsigned StatusWordChanges() {
    return g_changes.load(std::memory_order_acquire);
}
