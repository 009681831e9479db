// The boxes the model shows for failures: the system text of the last error, and out of memory.
#pragma once

/** Shows the system's text for the thread's last error code (caption "Error") when show is set. */
void ShowLastError(bool show);

/** Shows "ﾒﾓﾘが足りません", or with a final period while enumerating the cache. */
void ShowOutOfMemory(bool duringEnumeration = false);
