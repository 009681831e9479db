// Builders of the parts of the resource set, one per source file.
#pragma once

#include <afx/ResourceTypes.h>

#include <map>
#include <string>
#include <vector>

namespace res::detail {

std::vector<afx::MenuResource> Menus();
std::vector<afx::AcceleratorTable> Accelerators();
std::vector<afx::ToolBarResource> ToolBars();
std::vector<afx::IconResource> Icons();
std::map<int, std::string> Strings();
std::vector<afx::DialogTemplate> AppDialogs();    // about box
std::vector<afx::DialogTemplate> FormDialogs();   // the two child forms of the detail pane
std::vector<afx::DialogTemplate> ModalDialogs();  // date, encoded string, sort, search

}  // namespace res::detail
