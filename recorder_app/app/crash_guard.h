// Every thread body and the entry point run inside a structured-exception frame whose
// handler hands an escaping exception (access violation and the like) to the crash handler.
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

// A thread start routine whose body runs inside the guard:
//     CreateThread(nullptr, 0, GuardedThread<&MyThreadBody>, arg, 0, nullptr)
template <DWORD (*Body)(void*)>
DWORD WINAPI GuardedThread(void* arg) {
    return RunInCrashGuard(Body, arg);
}
