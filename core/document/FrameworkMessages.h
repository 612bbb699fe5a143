#pragma once
// The document frame's own messages for file errors. They carry no string-table number;
// "%1" stands for the file's path.

namespace FrameworkMessage {
inline constexpr const char* kUnexpectedFileFormat = "Unexpected file format.";
inline constexpr const char* kFileNotFound =
    "%1\nCannot find this file.\nPlease verify that the correct path and file name are given.";
inline constexpr const char* kFailedToOpen = "Failed to open document.";
inline constexpr const char* kFailedToSave = "Failed to save document.";
inline constexpr const char* kDiskFull = "Destination disk drive is full.";
inline constexpr const char* kReadOnly = "Unable to write to %1, it is read-only or opened by someone else.";
} // namespace FrameworkMessage
