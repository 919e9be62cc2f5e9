/*
 * The client lifetime protocol of thread-model.md, as a model for spin.
 *
 * One client, whose module has one thread of its own:
 *   JavaMain   sets the client up, starts its JACK client (the module's
 *              thread), then either commands it (the module answers at
 *              once), deletes it and unloads the JACK library, or makes no
 *              further call; then it ends the process.
 *   JavaOther  sets up another client at the same time.
 *   Module     the module's thread: answers up to twice, then waits until
 *              the client's destruction stops and joins it.
 * The Java callback of every answer may re-enter: delete the client, set up,
 * unload the JACK library, or do nothing.
 *
 * Each rule of the release path is a switch; defining one removes the rule:
 *   NO_LOCK_RULE     set-up destroys queued clients under the set-up lock
 *   NO_ANSWER_RULE   a client may be destroyed inside an answer
 *   NO_LIVE_COUNT    nativeUnloadJackLib counts registered clients only
 *   NO_NATIVE_DRAIN  the end of a native method does not drain the queue
 *   NO_EXIT_DRAIN    the queue is not drained at process exit
 *   DEADLOCK_ONLY    leaves out the assertions on where a client is
 *                    destroyed, so that the deadlock they prevent shows
 *
 *   spin -run -noclaim thread-model.pml         assertions and deadlocks
 *   spin -run -ltl destroyed thread-model.pml   every deleted client goes
 *   spin -run -ltl jack thread-model.pml        JACK library under no client
 */

#define NONE 255

/* Locks: the owner's _pid, or NONE. The listener lock is recursive. The
 * request block, stream text, response handle and queue locks call out to
 * nothing and nest under no other lock's call-outs: left out. */
byte listener = NONE;
byte listenerDepth = 0;
byte setupLock = NONE;
byte registryLock = NONE;

/* The three counters of each thread. */
byte locks[4];
byte notifying[4];
byte answering[4];

bool created, registered, deleted, destroying, destroyed;
byte refs = 0;     /* references to the client */
byte queued = 0;   /* of them, in the deferred queue */
byte pending = 0;  /* queued, or taken from the queue and not yet destroyed */
bool jackLoaded = true;
bool moduleStarted, stopModule, moduleJoined;
bool otherDone;
byte mainPid;
bool inCommand, deletedInCommand;

ltl destroyed { [] (deleted -> <> destroyed) }
ltl jack { [] (!jackLoaded -> (!created || destroyed)) }

inline lock(l) {
    atomic { l == NONE -> l = _pid; locks[_pid]++ }
}
inline unlock(l) {
    atomic { l = NONE; locks[_pid]-- }
}
inline lockListener() {
    atomic {
        (listener == NONE || listener == _pid) ->
        listener = _pid; listenerDepth++; locks[_pid]++
    }
}
inline unlockListener() {
    atomic {
        listenerDepth--; locks[_pid]--;
        if
        :: listenerDepth == 0 -> listener = NONE
        :: else
        fi
    }
}

#ifdef NO_ANSWER_RULE
#define ANSWER_OK true
#else
#define ANSWER_OK (answering[_pid] == 0)
#endif
#define MAY_DESTROY (locks[_pid] == 0 && notifying[_pid] == 0 && ANSWER_OK)

/* The destructor: tears the JACK client down and destroys the module, which
 * joins the module's thread. */
inline destroy() {
#ifndef DEADLOCK_ONLY
    assert(locks[_pid] == 0);
    assert(answering[_pid] == 0);
#endif
    assert(jackLoaded);
    stopModule = true;
    (moduleJoined || !moduleStarted);
    destroyed = true
}

inline release() {
    atomic {
        refs--; last = (refs == 0);
        if
        :: last -> destroying = true
        :: else
        fi
    };
    if
    :: last -> destroy()
    :: else
    fi
}

/* ClientRelease::drop */
inline drop() {
    if
    :: MAY_DESTROY -> release()
    :: else -> atomic { queued++; pending++ }
    fi
}

inline destroyQueued() {
    do
    :: atomic { queued > 0 -> queued-- }; release(); pending--
    :: atomic { queued == 0 -> break }
    od
}

/* ClientRelease::drainIfSafe */
inline drain() {
    if
    :: MAY_DESTROY -> destroyQueued()
    :: else
    fi
}

inline nativeEnd() {
#ifndef NO_NATIVE_DRAIN
    drain()
#else
    skip
#endif
}

inline setup(mine) {
    lock(setupLock);
#ifdef NO_LOCK_RULE
    if
    :: notifying[_pid] == 0 && ANSWER_OK -> destroyQueued()
    :: else
    fi;
#endif
    lock(registryLock);
    if
    :: mine && !created -> created = true; registered = true; refs = 1
    :: else
    fi;
    unlock(registryLock);
    unlock(setupLock);
    nativeEnd()
}

inline deleteClient() {
    lock(registryLock);
    if
    :: registered ->
        registered = false; deleted = true;
        if
        :: inCommand && _pid == mainPid -> deletedInCommand = true
        :: else
        fi;
        drop()
    :: else
    fi;
    unlock(registryLock);
    drain();
    nativeEnd()
}

inline unloadJack() {
    drain();
    lock(registryLock);
    count = registered;
    unlock(registryLock);
#ifdef NO_LIVE_COUNT
    if
    :: !count -> jackLoaded = false
    :: else
    fi;
#else
    if
    :: !created || destroyed -> jackLoaded = false
    :: else
    fi;
#endif
    nativeEnd()
}

/* Module code answers: responseToService, then one notification whose Java
 * callback may call a native method. */
inline answer() {
    answering[_pid]++;
    notifying[_pid]++;
    lockListener();
    if
    /* The callback chooses first and may then wait for a lock. */
    :: true -> skip
    :: true -> deleteClient()
    :: true -> setup(false)
    :: true -> unloadJack()
    fi;
    unlockListener();
    notifying[_pid]--;
    drain();
    answering[_pid]--
}

inline command() {
    lock(registryLock);
    held = registered;
    if
    :: held -> refs++
    :: else
    fi;
    unlock(registryLock);
    if
    :: held ->
        inCommand = true;
        answer();
        inCommand = false;
        drop()
    :: else
    fi;
    nativeEnd();
    /* A client deleted inside its own command goes when the command does:
     * destroyed, or taken from the queue by a thread that destroys it. */
    assert(!deletedInCommand || destroying || (pending > 0 && queued == 0))
}

proctype Module() {
    bool last, held, count;
    byte left = 2;
    do
    :: left > 0 && !stopModule -> left--; answer()
    :: stopModule -> break
    od;
    moduleJoined = true
}

proctype JavaMain() {
    bool last, held, count;
    mainPid = _pid;
    setup(true);
    moduleStarted = true;
    run Module();
    if
    :: true -> command(); deleteClient(); unloadJack()
    /* No further call from Java: a client deleted by a callback on the
     * module's thread has only the exit left to go at. */
    :: true -> skip
    fi;
    otherDone;
    /* Process exit: the registry's clients join the queue under the
     * registry lock, then the queue is drained. */
    lock(registryLock);
    if
    :: registered -> registered = false; atomic { queued++; pending++ }
    :: else
    fi;
    unlock(registryLock);
#ifndef NO_EXIT_DRAIN
    destroyQueued()
#endif
}

proctype JavaOther() {
    bool last, held, count;
    setup(false);
    otherDone = true
}

init {
    atomic { run JavaMain(); run JavaOther() }
}
