// File types from the desktop's MIME database: the type of an entry by its
// name, the type's description and icon names, and its default application.
#pragma once

#include <string>
#include <vector>

namespace win32 {

struct FileType {
    std::string contentType;
    bool unknown = false;            // the database does not know the name
    std::u16string description;      // as the desktop shows it, in the user's language
    std::vector<std::string> icons;  // themed icon names, the most specific first
    std::string genericIcon;         // the family's icon (text-x-generic, ...)
};

// The content type of an entry by its name alone, as a listing must not open
// every file it shows; folders are inode/directory.
std::string ContentTypeOfName(const std::string& name, bool folder);

// The facts of one content type, asked of the database once and kept.
const FileType& FileTypeOf(const std::string& contentType);

// Starts the desktop's default application for the type of each file (files
// of one type go to one application together). False with `failed` naming the
// first file nothing could open.
bool OpenWithDefaultApplications(const std::vector<std::string>& paths, std::string* failed);

} // namespace win32
