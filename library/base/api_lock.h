// The library API lock: recursive for its owner, handed out strictly first in, first out.
#pragma once

#include "platform/kernel32/kernel32.h"

#define APILOCK_QUEUE_SIZE 4096

struct APILOCK_WAITER {
    DWORD threadId;
    HANDLE event;
};

struct APILOCK {
    int depth;
    int owned;
    DWORD owner;                  // (DWORD)-1 when released
    APILOCK_WAITER queue[APILOCK_QUEUE_SIZE];   // entry 0 is the oldest waiter
    int waiters;
    int created;
    CRITICAL_SECTION guard;
};

extern APILOCK g_apiLock;

void LockLibrary();
void UnlockLibrary();
// Closes the waiter events and deletes the guard, when the lock exists.
void DeleteLibraryLock();
