// WrapText and the texts of Windows error codes.
#include <runpak/Strings.h>

UnicodeString WrapText(const UnicodeString& line, const UnicodeString& breakStr,
                       const UnicodeString& breakChars, int maxCol) {
    if (maxCol < 1) maxCol = 1;
    UnicodeString out;
    size_t lineStart = 0;
    size_t breakAt = UnicodeString::npos; // index of the last break character
    char16_t quote = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        char16_t c = line[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'\r' || c == u'\n') {
            // Lines already broken start counting again.
            out.append(line, lineStart, i + 1 - lineStart);
            lineStart = i + 1;
            breakAt = UnicodeString::npos;
            continue;
        } else if (breakChars.find(c) != UnicodeString::npos) {
            breakAt = i;
        }
        if (static_cast<int>(i - lineStart) >= maxCol && breakAt != UnicodeString::npos &&
            breakAt > lineStart) {
            size_t end = breakAt + 1;
            // Blanks at the break are dropped; a hyphen stays on its line.
            size_t keep = end;
            while (keep > lineStart && (line[keep - 1] == u' ' || line[keep - 1] == u'\t'))
                --keep;
            out.append(line, lineStart, keep - lineStart);
            out += breakStr;
            lineStart = end;
            breakAt = UnicodeString::npos;
        }
    }
    out.append(line, lineStart, UnicodeString::npos);
    return out;
}

UnicodeString WrapText(const UnicodeString& line, int maxCol) {
    return WrapText(line, u"\r\n", u" -\t", maxCol);
}

UnicodeString SysErrorMessage(unsigned code) {
    struct Entry {
        unsigned code;
        const char16_t* text;
    };
    static const Entry kMessages[] = {
        {0, u"The operation completed successfully."},
        {1, u"Incorrect function."},
        {2, u"The system cannot find the file specified."},
        {3, u"The system cannot find the path specified."},
        {4, u"The system cannot open the file."},
        {5, u"Access is denied."},
        {6, u"The handle is invalid."},
        {8, u"Not enough memory resources are available to process this command."},
        {14, u"Not enough memory resources are available to complete this operation."},
        {15, u"The system cannot find the drive specified."},
        {18, u"There are no more files."},
        {21, u"The device is not ready."},
        {31, u"A device attached to the system is not functioning."},
        {32, u"The process cannot access the file because it is being used by another process."},
        {38, u"Reached the end of the file."},
        {50, u"The request is not supported."},
        {80, u"The file exists."},
        {87, u"The parameter is incorrect."},
        {109, u"The pipe has been ended."},
        {111, u"The file name is too long."},
        {112, u"There is not enough space on the disk."},
        {120, u"This function is not supported on this system."},
        {121, u"The semaphore timeout period has expired."},
        {122, u"The data area passed to a system call is too small."},
        {123, u"The filename, directory name, or volume label syntax is incorrect."},
        {126, u"The specified module could not be found."},
        {127, u"The specified procedure could not be found."},
        {145, u"The directory is not empty."},
        {170, u"The requested resource is in use."},
        {183, u"Cannot create a file when that file already exists."},
        {234, u"More data is available."},
        {258, u"The wait operation timed out."},
        {259, u"No more data is available."},
        {995, u"The I/O operation has been aborted because of either a thread exit or an "
              u"application request."},
        {996, u"Overlapped I/O event is not in a signaled state."},
        {997, u"Overlapped I/O operation is in progress."},
        {1008, u"An attempt was made to reference a token that does not exist."},
        {1168, u"Element not found."},
        {1223, u"The operation was canceled by the user."},
        {1400, u"Invalid window handle."},
        {1460, u"This operation returned because the timeout period expired."},
    };
    for (const Entry& e : kMessages)
        if (e.code == code) return e.text;
    return {};
}
