// statlink: the status words shared by the launcher and its panel processes.
//
// Three 32-bit words per channel (0 to 3): the main word (launcher -> panel), the child status
// and the child error (panel -> launcher). They live in one POSIX shared-memory object per
// user, "/vantrel-statlink-<uid>", or the name in $VANTREL_STATLINK, mode 0600, created
// zero-filled by the first process that touches it.
//
// The words live as long as some process uses them: every process that has called the library
// holds a shared flock on the object until it ends, and a process that attaches while no other
// one holds it clears what earlier processes left. So a launcher started after the last panel
// has gone starts from zero words, while a panel still running from an earlier launcher keeps
// its words.
//
// Only an object owned by this user is used; one that others may open is made private first.
// An object of another user is refused with a line on stderr, and the calls then act as if there
// were no object.
//
// Every call is lock-free and cheap: the object is mapped once and kept. The name in the
// environment is compared on each call; when it changes (a test binary running many isolated
// tests in one process) the new object is mapped and used from then on. Earlier mappings stay
// mapped and attached, since another thread may still be reading through them.
//
// A channel outside 0 to 3 reads 0 and is not written. When the object cannot be used (no
// /dev/shm, no permission, another owner), reads give 0 and writes are dropped; making it is
// tried again about once a second.
//
// Waiting for a change: a change counter follows the 12 words in the object (which keep their
// places; an object made smaller by an older build is grown). Every setter adds 1 to it and
// wakes (futex) every thread of every process waiting in slk_WaitChange. A word written into the
// object by other means (an older build, another tool) moves no counter: one process per object
// takes the watch duty (slk_TakeWatch; a lock object named after it with ".watch") and waits with
// a short time limit: each of its slk_WaitChange calls then looks at the words and, when one
// changed without the counter moving, announces it as a setter would.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// The setters return 0 when the word was written, -1 otherwise (bad channel, no segment).
int slk_SetMainSta(int channel, int value);
int slk_GetMainSta(int channel);
int slk_SetChildSta(int channel, int value);
int slk_GetChildSta(int channel);
int slk_SetChildErr(int channel, int code);
int slk_GetChildErr(int channel);

// The change counter now (0 when the object cannot be used).
unsigned slk_ChangeCount(void);
// Waits until the change counter differs from seen, at most timeoutMs (-1: no limit; a signal
// may end the wait early), and returns the counter. In the process that holds the watch duty it
// then looks for words written without the library (above).
unsigned slk_WaitChange(unsigned seen, int timeoutMs);
// Adds 1 to the change counter and wakes every waiter, as a setter does.
void slk_NoteChange(void);
// Takes the watch duty of the object for this process, unless another process holds it: 1 when
// this process holds it (from now on, until it ends), 0 otherwise.
int slk_TakeWatch(void);

#ifdef __cplusplus
}
#endif
