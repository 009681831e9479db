#include "res/ProgramResources.h"

#include "ResourceParts.h"

namespace res {

const afx::ResourceSet& Resources() {
  static const afx::ResourceSet set = [] {
    afx::ResourceSet s;
    for (auto part : {detail::AppDialogs, detail::FormDialogs, detail::ModalDialogs}) {
      for (auto& d : part()) s.dialogs.push_back(std::move(d));
    }
    s.menus = detail::Menus();
    s.accelerators = detail::Accelerators();
    s.toolBars = detail::ToolBars();
    s.icons = detail::Icons();
    s.strings = detail::Strings();
    return s;
  }();
  return set;
}

}  // namespace res
