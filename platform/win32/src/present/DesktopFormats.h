// The layer's clipboard formats as other X programs have them, both ways:
// text (UTF-16 with CR LF) as UTF-8 or Latin-1 with LF, "HTML Format" (with
// its offsets header) as a bare text/html document, "Rich Text Format" as
// text/rtf, and CF_HDROP (DROPFILES) as a text/uri-list of file URIs.
#pragma once

#include <win32/windef.h>

#include <optional>
#include <string>

namespace win32::present {

enum class DesktopKind { Utf8Text, Latin1Text, Html, Rtf, UriList };

std::optional<std::string> ToDesktop(DesktopKind kind, const std::string& layerBytes);
std::optional<std::string> FromDesktop(DesktopKind kind, const std::string& desktopBytes);

} // namespace win32::present
