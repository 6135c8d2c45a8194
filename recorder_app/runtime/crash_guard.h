// Every thread body and the entry point run inside a structured-exception frame whose
// handler hands an escaping exception (access violation and the like) to the crash handler
// that the program installs at start-up with the backstop, which catches what no frame sees.
// The handler is the program's (the crash question, the dump, the reporter); until one is
// installed, a crash ends the process with the exception's code.
#pragma once
#include <windows.h>
#include <utility>

using GuardedWork = DWORD (*)(void* context);

// Runs work(context) inside the guard and returns its result.
DWORD RunInCrashGuard(GuardedWork work, void* context);

template <class F>
DWORD RunInCrashGuard(F&& work) {
    return RunInCrashGuard([](void* f) -> DWORD { return (*static_cast<F*>(f))(); },
                           static_cast<void*>(&work));
}

// Sends to the crash handler, for the whole process, what escapes every guard: a structured
// exception on a thread that runs no guard (a library's own) or one that cannot travel back
// out of a window procedure entered from a kernel callback, and a C++ exception that nothing
// catches, which never reaches a structured-exception frame and would end in std::terminate.
// handler must not return.
using CrashHandler = void (*)(EXCEPTION_POINTERS* pointers);
void InstallCrashBackstop(CrashHandler handler);

// A thread start routine whose body runs inside the guard:
//     CreateThread(nullptr, 0, GuardedThread<&MyThreadBody>, arg, 0, nullptr)
template <DWORD (*Body)(void*)>
DWORD WINAPI GuardedThread(void* arg) {
    return RunInCrashGuard(Body, arg);
}
