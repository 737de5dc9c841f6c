#pragma once
// Bitmap files on disk: writing a picture so that a failed write never leaves
// a truncated file or destroys the older one, and reading one back.

#include <string>

#include "platform/Picture.h"

namespace pixkeeper::win32 {

// Writes the picture behind a BMP file header into a temporary file beside
// `path`, then moves it over `path`. On failure the temporary file is removed,
// an older file of that name is untouched, and a RuntimeError is raised (481
// for the empty picture).
void SaveBitmapFile(const Picture& picture, const std::wstring& path);

// The picture of a BMP file; the empty picture for an empty path.
Picture LoadPictureFile(const std::wstring& path);

// True when `path` names an existing file (not a directory).
bool FileExists(const std::wstring& path);

}  // namespace pixkeeper::win32
