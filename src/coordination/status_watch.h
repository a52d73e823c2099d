// The status words wake this process's waiting threads: a thread of its own waits on the words'
// change counter and raises every Waker of the process (RaiseWakers) when a word changes, so a
// worker or the supervision thread that waits for its words needs no time limit for them.
//
// A word set through the library by any process is announced at once (the counter's futex). A
// word written into the object by other means moves no counter: the one process that holds the
// object's watch duty looks at the words every 10 ms and announces what changed to all the
// others. So only one process of a launcher and its panels pays for those looks; the others sleep
// until something happens. A process without the duty asks for it again once a second (its
// holder may have ended).
#pragma once

// Starts the watching thread of this process, once; later calls return at once. False when it
// could not be started: the caller then looks at its words itself every 10 ms.
bool WatchStatusWords();
constexpr int kStatusLookMs = 10;

// How often the watch has seen the status words change so far. A thread that read its words
// after seeing a count finds them as they were while the count stays (a word written without
// the library counts once the duty holder's look has found it).
unsigned StatusWordChanges();
