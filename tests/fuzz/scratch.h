// The private working folder of one fuzzing process. Every input is written
// there as a file, because the readers take paths; the library reads its
// effect file from the working directory, so a device is started from there
// too. Each process (each libFuzzer worker, each replay test) has its own
// folder, made on first use under $TMPDIR or else /dev/shm (or the
// temporary directory) and removed at a normal exit, so parallel runs never
// share a file and never touch the effect file of the build folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvel::fuzz {

// Writes size bytes as the scratch file name; returns its full path, widened
// for the C interface.
std::wstring writeScratchFile(const std::string& name, const uint8_t* data, size_t size);

// Removes a scratch file if it exists.
void removeScratchFile(const std::string& name);

// Places the given effect text as Korvelv0.fx in the scratch folder and runs
// InitDevice(NULL) there; returns its result. The working directory is
// restored before returning.
int initDeviceWithEffect(const uint8_t* effect, size_t size);

// InitDevice(NULL) with the project's own effect file; aborts when it fails,
// since a reader target without its device would test nothing.
void initDeviceWithShippedEffect();

}  // namespace korvel::fuzz
