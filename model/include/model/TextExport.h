// The text export of the whole catalogue: its layout and the file it is written to.
#pragma once

#include <string>

class SiteCacheList;

/** The export's bytes: the banner, the catalogue's body, the closing line; CR LF line ends (as
 *  the text mode of the C runtime writes them on the system the format comes from). */
std::string BuildTextExport(SiteCacheList& catalogue);

/** Writes the export to a file-system path (a new file is the owner's alone: it holds every
 *  cookie). False with errno set when it could not be built, opened or written completely. */
bool WriteTextExport(SiteCacheList& catalogue, const std::string& path);
