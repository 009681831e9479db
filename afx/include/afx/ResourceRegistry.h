// The program's resources, registered once at start-up and looked up by id.
#pragma once

#include <QPixmap>

#include "afx/AfxTypes.h"
#include "afx/ResourceTypes.h"

namespace afx {

/** Registers the program's resources (copied); later calls replace earlier ones. */
void RegisterResources(const ResourceSet& resources);
/** The registered set (empty before RegisterResources). */
const ResourceSet& GetResources();

const DialogTemplate* FindDialog(int id);
const MenuResource* FindMenu(int id);
const AcceleratorTable* FindAccelerators(int id);
const ToolBarResource* FindToolBar(int id);
const IconResource* FindIcon(int id);
/** UTF-8 text of a string table entry, or null. */
const std::string* FindString(int id);

/** A resource picture as a pixmap with transparency. */
QPixmap ToPixmap(const Pixmap& picture);
/** The icon resource id as a handle (null when missing); handles stay valid for the process. */
HICON LoadIconResource(int id);
/** The picture behind an icon handle (null pixmap for null). */
QPixmap IconPixmap(HICON hIcon);

}  // namespace afx
