#pragma once
// Error texts that end a burn (the Error of OnWriteDone). Texts with "%s"
// take a source file's path.

namespace valmuri::burn_error {

inline constexpr const char* kAborted = "OPERATION ABORTED BY USER";
inline constexpr const char* kCantOpenFile = "CAN'T OPEN FILE \"%s\" OR FILE IS IN USES BY OTHER SOFTWARE";
// A source that fails while it is read, or whose length differs from the one
// the layout gave it: its bytes on the disc would be wrong.
inline constexpr const char* kCantReadFile = "CAN'T READ FILE \"%s\"";
inline constexpr const char* kFileChanged = "FILE \"%s\" HAS CHANGED SIZE SINCE THE LAYOUT";
// The bytes the cache would send differ from the layout's image size.
inline constexpr const char* kLayoutMismatch = "IMAGE DATA DOES NOT MATCH THE LAYOUT";
// The header built does not lie where the layout put its parts.
inline constexpr const char* kHeaderMismatch = "INTERNAL ERROR: IMAGE HEADER DOES NOT MATCH ITS LAYOUT";
inline constexpr const char* kEntryUnreadable = "INTERNAL ERROR 0005";
inline constexpr const char* kWriterBusy = "WRITER BUSY/BUFFER FULL";
inline constexpr const char* kWriterError = "WRITER ERROR";

} // namespace valmuri::burn_error
