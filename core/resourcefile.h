// Resource files (the artwork and the label font) are opened only when they
// are regular files: opening a FIFO waits for a writer that never comes, and
// start-up would hang before the screen takes any input.
#ifndef CORE_RESOURCEFILE_H
#define CORE_RESOURCEFILE_H

// False, with SDL's error set as the loaders set it for a file they cannot
// open ("Couldn't open <path>"), when `path` names something other than a
// regular file. True otherwise; a missing file is left to the loader, which
// reports it in the same words.
bool IsResourceFile(const char* path);

#endif
