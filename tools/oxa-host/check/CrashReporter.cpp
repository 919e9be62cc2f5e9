#include "CrashReporter.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <signal.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include "ThreadLedger.h"

namespace oxahost {

namespace {

const int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP, SIGSYS};
const char* const kSignalNames[] = {"SIGSEGV", "SIGBUS",  "SIGILL", "SIGFPE",
                                    "SIGABRT", "SIGTRAP", "SIGSYS"};
const int kFrames = 48;
const size_t kAltStackBytes = 64 * 1024;

int sFd = -1;

void writeText(const char* text) {
    size_t length = strlen(text);
    while (length > 0) {
        const ssize_t n = write(sFd, text, length);
        if (n <= 0) return;
        text += n;
        length -= static_cast<size_t>(n);
    }
}

void writeHex(uintptr_t value) {
    char text[2 + 2 * sizeof(value) + 1];
    char* p = text + sizeof(text) - 1;
    *p = '\0';
    do {
        *--p = "0123456789abcdef"[value & 0xf];
        value >>= 4;
    } while (value != 0);
    *--p = 'x';
    *--p = '0';
    writeText(p);
}

// The interrupted instruction, where the context tells it; 0 otherwise.
uintptr_t interruptedPc(void* context) {
    const ucontext_t* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    return static_cast<uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__i386__)
    return static_cast<uintptr_t>(uc->uc_mcontext.gregs[REG_EIP]);
#elif defined(__arm__)
    return static_cast<uintptr_t>(uc->uc_mcontext.arm_pc);
#elif defined(__aarch64__)
    return static_cast<uintptr_t>(uc->uc_mcontext.pc);
#else
    (void)uc;
    return 0;
#endif
}

void writeDecimal(long value) {
    char text[24];
    char* p = text + sizeof(text) - 1;
    *p = '\0';
    do {
        *--p = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    writeText(p);
}

// One "frame PC OFFSET LIBRARY" line: the library and the offset in it are
// all the parent needs to name the function, file and line. dladdr reads the
// loader's tables only, as backtrace_symbols_fd itself does in a handler; a
// library of the module's that was closed since is found in the ledger's
// record of where it was. False when the address is in neither.
bool writeFrame(uintptr_t pc, bool interrupted) {
    writeText("frame ");
    writeHex(pc);
    // A return address points past its call; look up the call itself.
    const uintptr_t lookup = interrupted ? pc : pc - 1;
    Dl_info info;
    uintptr_t offset = 0;
    const char* closed = nullptr;
    bool loaded = false;
    if (dladdr(reinterpret_cast<void*>(pc), &info) != 0 && info.dli_fname != nullptr) {
        writeText(" ");
        writeHex(lookup - reinterpret_cast<uintptr_t>(info.dli_fbase));
        writeText(" ");
        writeText(info.dli_fname);
        loaded = true;
    } else if (oxahost::ThreadLedger::closedLibraryOf(lookup, &offset, &closed)) {
        writeText(" ");
        writeHex(offset);
        writeText(" ");
        writeText(closed);
    }
    writeText("\n");
    return loaded;
}

// What the session's ledger knows of the crashing thread: its name, the
// step it appeared after, whether the module was destroyed under it, and
// where it was when first seen. Written before any unwinding, which may
// fault in closed code.
void writeLedgerRecord() {
    const int tid = static_cast<int>(syscall(SYS_gettid));
    const oxahost::LedgerRecord* record = oxahost::ThreadLedger::recordOf(tid);
    if (record == nullptr) return;
    writeText("the crashing thread: ");
    if (record->name[0] != '\0') {
        writeText("\"");
        writeText(record->name);
        writeText("\" (tid ");
    } else {
        writeText("an unnamed thread of the module (tid ");
    }
    writeDecimal(tid);
    writeText("), first seen after \"");
    writeText(record->step);
    writeText("\"");
    if (oxahost::ThreadLedger::outlivedDestroy(*record)) {
        writeText(", outlived the module's destroy: it ran on after the host closed the library");
    }
    writeText("\n");
    if (record->rawFrames[0] != '\0') {
        writeText("its frames when first seen:\n");
        writeText(record->rawFrames);
    }
    writeText("its frames at the crash:\n");
}

void onFatalSignal(int number, siginfo_t* info, void* context) {
    const char* name = CrashReporter::signalName(number);
    writeText(name != nullptr ? name : "signal");
    if (number == SIGSEGV || number == SIGBUS || number == SIGILL || number == SIGFPE) {
        writeText(" at address ");
        writeHex(reinterpret_cast<uintptr_t>(info->si_addr));
    }
    writeText("\n");
    writeLedgerRecord();
    // The interrupted instruction first, before the unwinder runs: unwinding
    // from code that is gone (a thread left running in a closed module)
    // faults again, and this frame is then all there is.
    const uintptr_t pc = interruptedPc(context);
    if (pc != 0 && !writeFrame(pc, true)) {
        raise(number);
        return;
    }
    void* frames[kFrames];
    const int count = backtrace(frames, kFrames);
    // Then the callers below it, leaving out the handler's own frames. Not
    // every unwinder passes a signal frame (the 32-bit ARM one does not):
    // without the interrupted frame among them, all it found but the
    // handler itself.
    int next = 1;
    for (int i = 0; i < count && pc != 0; ++i) {
        if (reinterpret_cast<uintptr_t>(frames[i]) == pc) {
            next = i + 1;
            break;
        }
    }
    for (int i = next; i < count; ++i) writeFrame(reinterpret_cast<uintptr_t>(frames[i]), false);
    // SA_RESETHAND put the default action back: die of the same signal.
    raise(number);
}

}  // namespace

void CrashReporter::install(int fd) {
    sFd = fd;
    // backtrace() loads its unwinder on first use; do that now, not in the
    // handler, where loading a library is not safe.
    void* warmUp[2];
    backtrace(warmUp, 2);

    static char* altStack = static_cast<char*>(malloc(kAltStackBytes));
    if (altStack != nullptr) {
        stack_t stack = {};
        stack.ss_sp = altStack;
        stack.ss_size = kAltStackBytes;
        sigaltstack(&stack, nullptr);
    }
    struct sigaction action = {};
    action.sa_sigaction = onFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int number : kSignals) sigaction(number, &action, nullptr);
}

const char* CrashReporter::signalName(int number) {
    for (size_t i = 0; i < sizeof(kSignals) / sizeof(kSignals[0]); ++i) {
        if (kSignals[i] == number) return kSignalNames[i];
    }
    return nullptr;
}

}  // namespace oxahost
