/*
 * The threads, locks and client lifetimes of thread-model.md, as a model for
 * spin. Its branches follow the page's table "Threads and what each may
 * call"; the page maps each row to the inline here that plays it.
 *
 * Two clients, 0 and 1, each with a module thread of its own that answers:
 *   JavaA    sets up client 0 and starts its module's thread; then either
 *            commands it (the module answers at once, on JavaA), deletes it
 *            and unloads the JACK library, or makes no further call; then
 *            ends the process.
 *   JavaB    sets up client 1 and starts its JACK client and module thread,
 *            racing JavaA's unload.
 *   Module   one per client: answers once through the response
 *            handle, then waits until a command or the client's destruction
 *            stops and joins it.
 * The Java callback of every answer, on whichever thread delivers it, may
 * do nothing, command either client (a command that answers at once, with a
 * nested notification, or one that stops and joins that client's module
 * thread), delete either client, or (on JavaA) end the process.
 *
 * Each rule is a switch; defining one removes the rule:
 *   NO_DEFER         a notification waits for the listener's turn even when
 *                    its holder is inside a native method (the stop shapes)
 *   NO_EXIT_OPEN     at exit a notification still waits for the turn
 *   NO_LATE_SWEEP    the exit sweep runs after the modules' statics are gone
 *   NO_UNLOAD_LOCK   unloading counts live clients, then unloads, as two
 *                    steps a set-up may come between
 *   NO_EXIT_DRAIN    the queue is not drained at process exit
 *
 *   spin -run thread-model.pml      deadlocks and assertions, among them
 *                                   that no JACK client outlives the
 *                                   library and, once every thread has
 *                                   ended, that every deleted client went
 */

#define NONE 255
#define C 2

/* Locks that may wait: the owner's _pid, or NONE. The request block,
 * stream text, queue and in-flight locks call out to nothing: left out. */
byte setupLock = NONE;
byte registryLock = NONE;
byte liveLock = NONE;

/* The listener's turn (ListenerGate). */
byte holder = NONE;
byte depth = 0;
byte holderInNative = 0;
byte deferred = 0;
bool exiting, exited;
byte exiter = NONE;

/* The per-thread counters. */
byte locks[6];
byte notifying[6];
byte answering[6];
byte marks[6];        /* per native method level: whether it held the turn */

/* The clients. */
bool registered[C], deleted[C], destroyed[C];
byte refs[C];          /* references, queued ones included */
byte queued[C];        /* of them, in the deferred queue */
byte inFlight[C];      /* answers through the response handle on their way */
bool started[C], stop[C], joined[C];
byte modulePid[C];
bool usesJack[C];      /* set up a JACK client while the library was loaded */
byte live = 0;         /* constructed and not yet destroyed */
byte jackUsers = 0;    /* live clients with a JACK client */
bool jackLoaded = true;
bool staticsGone;      /* the module libraries' static objects, at exit */
bool pinned[C];        /* held by a native method still running at exit */
bool late[C];          /* deleted after the exit began */
byte javaA;


inline lock(l) {
    atomic { l == NONE -> l = _pid; locks[_pid]++ }
}
inline unlock(l) {
    atomic { l = NONE; locks[_pid]-- }
}

#define MAY_DESTROY (locks[_pid] == 0 && notifying[_pid] == 0 && answering[_pid] == 0)

/* Joins module x's thread; on that thread itself it only asks it to stop,
 * as the kit's module thread does. */
inline stopModule(x) {
    stop[x] = true;
    if
    :: _pid == modulePid[x] -> skip
    :: else -> (joined[x] || !started[x] || exited)
    fi
}

/* The destructor: tears the JACK client down, destroys the module (which
 * joins its thread), and waits for answers through the handle. */
inline destroy(x) {
    assert(locks[_pid] == 0);
    /* The exit sweep is the exception: the exiting thread never returns. */
    assert(answering[_pid] == 0 || exiter == _pid);
    assert(!staticsGone);
    assert(!usesJack[x] || jackLoaded);
    stopModule(x);
    /* Answers to x through the handle; only x's module thread answers
     * through it here. The exiting thread's own answer is not waited for. */
    (inFlight[x] == 0 || (exiter == _pid && modulePid[x] == _pid) || exited);
    atomic {
        destroyed[x] = true; live--;
        if
        :: usesJack[x] -> jackUsers--
        :: else
        fi
    }
}

inline release(x) {
    atomic { refs[x]--; last = (refs[x] == 0) };
    if
    :: last -> last = false; destroy(x)
    :: else
    fi
}

/* ClientRelease::drop */
inline drop(x) {
    if
    :: MAY_DESTROY -> release(x)
    :: else -> queued[x]++
    fi
}

inline destroyQueued() {
    do
    :: atomic {
           queued[0] + queued[1] > 0 ->
           if
           :: queued[0] > 0 -> y = 0
           :: queued[1] > 0 -> y = 1
           fi;
           queued[y]--
       };
       release(y)
    :: atomic { queued[0] + queued[1] == 0 -> y = 0; break }
    od
}

/* ClientRelease::drainIfSafe */
inline drain() {
    if
    :: MAY_DESTROY -> destroyQueued()
    :: else
    fi
}

/* ClientRelease::NativeMethodScope and its ListenerGate mark. */
inline nativeBegin() {
    atomic {
        if
        :: holder == _pid -> holderInNative++; marks[_pid] = marks[_pid] * 2 + 1
        :: else -> marks[_pid] = marks[_pid] * 2
        fi
    }
}
inline nativeEnd() {
    drain();
    atomic {
        if
        :: marks[_pid] % 2 == 1 -> holderInNative--
        :: else
        fi;
        marks[_pid] = marks[_pid] / 2
    }
}

/* The native methods, as one: `kind` names the method, `x` its client.
 * COMMAND_JOIN stops and joins client x's module thread; COMMAND_SAY has
 * x's module answer at once, a nested notification on this thread whose
 * callback does nothing more. */
#define SETUP 0
#define DELETE 1
#define UNLOAD 2
#define COMMAND_JOIN 3
#define COMMAND_SAY 4

inline nativeMethod(kind, x) {
    nativeBegin();
    if
    :: kind == SETUP ->
        lock(setupLock);
        lock(registryLock);
        if
        :: x != NONE && !registered[x] && !deleted[x] ->
            lock(liveLock); live++; unlock(liveLock);
            registered[x] = true; refs[x] = 1
        :: else
        fi;
        unlock(registryLock);
        unlock(setupLock)
    :: kind == DELETE ->
        lock(registryLock);
        if
        :: registered[x] ->
            atomic { registered[x] = false; deleted[x] = true; late[x] = (exiter != NONE) };
            drop(x)
        :: else
        fi;
        unlock(registryLock);
        drain()
    :: kind == UNLOAD ->
        drain();
#ifdef NO_UNLOAD_LOCK
        count = (live == 0);
        if
        :: count -> count = false; jackLoaded = false; assert(jackUsers == 0)
        :: else
        fi
#else
        lock(liveLock);
        if
        :: live == 0 -> jackLoaded = false; assert(jackUsers == 0)
        :: else
        fi;
        unlock(liveLock)
#endif
    :: kind == COMMAND_JOIN || kind == COMMAND_SAY ->
        lock(registryLock);
        held = registered[x];
        if
        :: held -> refs[x]++
        :: else
        fi;
        unlock(registryLock);
        if
        :: held && kind == COMMAND_JOIN -> stopModule(x); drop(x)
        :: held && kind == COMMAND_SAY -> answering[_pid]++; notifyNested(); answering[_pid]--; drop(x)
        :: else
        fi;
        held = false
    fi;
    nativeEnd()
}

/* JavaA's command to client 0, whose module answers at once: the callback
 * of that answer runs on JavaA, inside the command. */
inline commandFromJava() {
    nativeBegin();
    lock(registryLock);
    held = registered[0];
    if
    :: held -> refs[0]++
    :: else
    fi;
    unlock(registryLock);
    if
    :: held -> answering[_pid]++; notify(); answering[_pid]--; drop(0)
    :: else
    fi;
    held = false;
    nativeEnd()
}

/* Process exit, on the thread that took `exiter`: no notification waits for
 * the turn any more; the registry queues its clients and the queue is
 * destroyed, before the modules' statics go. The exiting thread never
 * returns; a second thread that ends the process ends here. */
inline exitProcess() {
#ifndef NO_EXIT_OPEN
    exiting = true;
#endif
#ifdef NO_LATE_SWEEP
    staticsGone = true;
#endif
    lock(registryLock);
    if
    :: registered[0] -> registered[0] = false; queued[0]++
    :: else
    fi;
    if
    :: registered[1] -> registered[1] = false; queued[1]++
    :: else
    fi;
    /* What native methods still running hold stays, as the process ends. */
    pinned[0] = !destroyed[0] && refs[0] > queued[0];
    pinned[1] = !destroyed[1] && refs[1] > queued[1];
    unlock(registryLock);
#ifndef NO_EXIT_DRAIN
    destroyQueued();
#endif
    exited = true
}

/* The Java callback of a notification this thread delivers: nothing, a
 * command or a deletion on either client, or (on JavaA) a command whose
 * module answers at once, nested, or the end of the process. A set-up or an unload from a callback takes only locks that nest
 * under the turn and waits for no thread; JavaB's set-up and JavaA's unload
 * play them, beside the callbacks. */
inline callback() {
    if
    :: skip
    :: kind = COMMAND_JOIN; x = 0
    :: kind = COMMAND_JOIN; x = 1
    :: _pid == javaA -> kind = COMMAND_SAY; x = 1
    :: kind = DELETE; x = 0
    :: kind = DELETE; x = 1
    :: atomic { _pid == javaA && exiter == NONE -> exiter = _pid }; exitProcess(); goto gone
    fi;
    if
    :: kind != NONE -> nativeMethod(kind, x); kind = NONE; x = 0
    :: else
    fi
}

/* Takes the listener's turn, or leaves the notification to the holder. */
inline enterTurn() {
    atomic {
        if
        :: holder == NONE || holder == _pid -> holder = _pid; depth++; took = true
#ifndef NO_DEFER
        :: holder != NONE && holder != _pid && holderInNative > 0 -> deferred++; took = false
#endif
        :: holder != NONE && holder != _pid && exiting -> deferred++; took = false
        fi
    }
}
inline leaveTurn() {
    atomic {
        depth--;
        if
        :: depth == 0 -> holder = NONE
        :: else
        fi
    }
}

/* One notification (JNIOXAUserContext::deliverOrLeave): the callback, then,
 * in the outermost turn, what other threads left for this one. */
inline notify() {
    notifying[_pid]++;
    enterTurn();
    if
    :: took ->
        first = true;
        do
        :: atomic {
               first || (depth == 1 && deferred > 0) ->
               if
               :: !first -> deferred--
               :: else
               fi;
               first = false
           };
           callback()
        :: atomic { !first && !(depth == 1 && deferred > 0) -> break }
        od;
        leaveTurn()
    :: else
    fi;
    took = false;
    notifying[_pid]--;
    drain()
}

inline notifyNested() {
    notifying[_pid]++;
    enterTurn();
    if
    :: took -> leaveTurn()
    :: else
    fi;
    took = false;
    notifying[_pid]--
}

/* Module code answers through the response handle. */
inline answer(x) {
    inFlight[x]++;
    answering[_pid]++;
    notify();
    answering[_pid]--;
    inFlight[x]--
}

proctype Module(byte me) {
    bool last, held, took, count, first;
    byte y, kind = NONE, x;
    byte left = 1;
    modulePid[me] = _pid;
    do
    :: left > 0 && !stop[me] -> left--; answer(me)
    :: stop[me] -> break
    :: exited -> break
    od;
gone:
    joined[me] = true
}

proctype JavaA() {
    bool last, held, took, count, first;
    byte y, kind = NONE, x;
    javaA = _pid;
    nativeMethod(SETUP, 0);
    started[0] = true;
    run Module(0);
    if
    :: commandFromJava();
       /* Deletes client 0, then unloads the JACK library. */
       kind = DELETE;
       do
       :: nativeMethod(kind, 0);
          if
          :: kind == DELETE -> kind = UNLOAD
          :: else -> break
          fi
       od;
       kind = NONE
    /* No further call from Java: a client deleted by a callback on a
     * module's thread has only the exit left to go at. */
    :: skip
    fi;
    if
    :: atomic { exiter == NONE -> exiter = _pid }; exitProcess()
    :: else
    fi;
gone:
    skip
}

proctype JavaB() {
    bool last, held, took, count, first;
    byte y, kind = NONE, x;
    nativeMethod(SETUP, 1);
    /* "start_client": a JACK client, if the library is there. */
    atomic {
        if
        :: registered[1] && jackLoaded -> usesJack[1] = true; jackUsers++
        :: else
        fi
    };
    started[1] = true;
    run Module(1);
gone:
    skip
}

init {
    atomic { run JavaA(); run JavaB() };
    /* Every thread has ended: every client deleted before the exit began
     * was destroyed, unless a native method still held it then. */
    _nr_pr == 1;
    assert(!deleted[0] || late[0] || destroyed[0] || pinned[0]);
    assert(!deleted[1] || late[1] || destroyed[1] || pinned[1])
}
