// A second process for the status-word tests. Usage:
//   status_words_peer set <channel> <main|status|error> <value>
//   status_words_peer get <channel> <main|status|error>      (prints the value)
//   status_words_peer wait <channel> <main|status|error> <value> <timeout ms>
//       waits until the word holds value, then sets the child status of the channel to value
//       and exits 0; exits 1 on time-out
//   status_words_peer hold <channel> <main|status|error> <value>
//       sets the word, prints "held", then stays (attached to the words) until it is ended by
//       a signal, or 120 s have passed
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "coordination/StatusWords.h"

namespace {

int Get(int ch, const char* word) {
    if (!strcmp(word, "main")) return GetMainStatus(ch);
    if (!strcmp(word, "status")) return GetChildStatus(ch);
    return GetChildError(ch);
}

void Set(int ch, const char* word, int value) {
    if (!strcmp(word, "main")) {
        SetMainStatus(ch, value);
    } else if (!strcmp(word, "status")) {
        SetChildStatus(ch, value);
    } else {
        SetChildError(ch, value);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const int ch = atoi(argv[2]);
    const char* word = argv[3];
    if (!strcmp(argv[1], "get")) {
        printf("%d\n", Get(ch, word));
        return 0;
    }
    if (argc < 5) return 2;
    const int value = atoi(argv[4]);
    if (!strcmp(argv[1], "set")) {
        Set(ch, word, value);
        return 0;
    }
    if (!strcmp(argv[1], "hold")) {
        Set(ch, word, value);
        printf("held\n");
        fflush(stdout);
        for (int waited = 0; waited < 120; ++waited) sleep(1);
        return 1;
    }
    if (!strcmp(argv[1], "wait") && argc >= 6) {
        const int timeoutMs = atoi(argv[5]);
        for (int waited = 0; waited < timeoutMs; ++waited) {
            if (Get(ch, word) == value) {
                SetChildStatus(ch, value);
                return 0;
            }
            const timespec ms{0, 1000000};
            nanosleep(&ms, nullptr);
        }
        return 1;
    }
    return 2;
}
