// The program's resources as data, for the framework to build menus, bars and dialogs from.
#pragma once

#include <afx/ResourceTypes.h>

#include "res/ResourceIds.h"

namespace res {

/** Every menu, accelerator table, tool bar, icon, string and dialog template of Tolvane. */
const afx::ResourceSet& Resources();

}  // namespace res
