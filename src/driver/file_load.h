// Reading a whole document into memory.
#pragma once

// Returns a buffer holding the whole file followed by one NUL. The buffer
// lives until the process ends. A file that cannot be opened or read ends the
// run with status 2; one of 2^31 bytes or more ends it with status 1.
char* file_load(const char* fname);
