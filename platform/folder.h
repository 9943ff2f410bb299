#pragma once
// What a folder allows and what was left in it: whether this user can create files there, and
// the leftovers of atomic writes whose process died before it could rename or remove them.
#include <string>
#include <vector>

namespace lantervo::platform {

// True when a new file can be created in `folder` now (tried with a probe file that is removed
// at once), so permissions, access lists and read-only media all count.
bool CanCreateFilesIn(const std::string& folder);

// Removes the temporary copies "<path>.tmp<process id>-<n>" that WriteFileAtomically leaves only
// when its process is killed mid-save. Copies of a process still running are left alone, since
// it may be about to rename one. Answers how many were removed.
int RemoveStaleTemporaries(const std::string& path);

unsigned long CurrentProcessId();

// The names of the folders right inside `folder` (not "." and ".."), in no particular order;
// none when it cannot be read.
std::vector<std::string> SubfolderNames(const std::string& folder);

// The process id a temporary copy's name carries after "<file name>.tmp", or 0 when `name` is not
// such a copy of `fileName`.
unsigned long TemporaryCopyOwner(const std::string& name, const std::string& fileName);

}  // namespace lantervo::platform
