// The program's resources as data, for the framework to build menus, bars and dialogs from.
#pragma once

#include <afx/Resource.h>

#include "res/resource.h"

namespace res {

/** Every menu, accelerator table, tool bar, icon, string and dialog template of Tolvane. */
const afx::ResourceSet& Resources();

}  // namespace res
