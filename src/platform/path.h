// Splitting and joining of "/"-separated paths as text, without touching the file system: the
// one place that says where a path's folder ends and its file name begins.
#pragma once

#include <string>
#include <string_view>

namespace my {

// The text before the last "/": "a/b" for "a/b/c", "/" for "/c", "" for a bare name "c".
std::string FolderOf(std::string_view path);

// The text after the last "/": "c" for "a/b/c" and for "c", "" for "a/b/".
std::string FileNameOf(std::string_view path);

// The folder to open for a path's folder: FolderOf(path), or "." for a bare name.
std::string FolderToOpen(std::string_view path);

// folder and name joined with "/", which is left out when the folder is empty or already ends
// in a separator ("/", or "\" and ":" of folders written on Windows).
std::string JoinPath(std::string_view folder, std::string_view name);

} // namespace my
