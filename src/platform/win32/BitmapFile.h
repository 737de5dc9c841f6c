#pragma once
// Picture files on disk: writing a picture so that a failed write never
// leaves a truncated file or destroys the older one, and reading one back.

#include <string>

#include "image/Picture.h"
#include "platform/Platform.h"

namespace pixkeeper::win32 {

// Writes the picture behind a BMP file header, or encoded as PNG, into a
// temporary file beside `path`, then moves it over `path`. On failure the
// temporary file is removed, an older file of that name is untouched, and a
// RuntimeError is raised (481 for the empty picture).
void SavePictureFile(const Picture& picture, const std::wstring& path, FileFormat format);

// The picture of a BMP or PNG file; the empty picture for an empty path.
Picture LoadPictureFile(const std::wstring& path);

// True when `path` names an existing file (not a directory).
// Writes the bytes as they are, through a temporary file as pictures.
void SaveBytesFile(const std::vector<std::uint8_t>& bytes, const std::wstring& path);
// Deletes the temporary files of writes cut short in the folder: only names
// TemporaryFile makes. Never fails.
void RemoveLeftoverWrites(const std::wstring& folder);
bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);
// Makes the folder; one that exists already is no error.
void MakeDirectory(const std::wstring& path);

}  // namespace pixkeeper::win32
