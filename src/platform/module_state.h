// Where each module finds its long-lived state. The library declares all of
// that state in one place (library.cpp), grouped by lifetime: what outlives
// CleanupDevice, and what a device owns, rebuilt empty by CleanupDevice so
// that destruction order releases it. While such an owner lives it installs
// each piece here; a module reaches its piece only through moduleState<T>().
// A module linked without the library (a module's own tests) gets one
// instance of each type, made on first use.
#pragma once

namespace korvel {

template <class T>
inline T* installedModuleState = nullptr;

template <class T>
T& moduleState() {
    if (T* installed = installedModuleState<T>) return *installed;
    static T standalone;
    return standalone;
}

// Makes `state` the one moduleState<T>() returns, or withdraws it (null).
template <class T>
void installModuleState(T* state) {
    installedModuleState<T> = state;
}

}  // namespace korvel
