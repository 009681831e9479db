// Where an entry or a variable stands against the cache (their m_nState).
#pragma once

enum EditState : int {
  kStateUnchanged = 0,  // as read from the cache
  kStateLoading = 1,    // being read; stays so when the read failed or a record was cut short
  kStateModified = 2,   // changed in memory, not yet committed
};
