// Creating a folder with all its missing parents.
#pragma once

// Rewrites path (520 characters): blanks trimmed, final backslash. 1 when the folder exists.
int CreateFolderTree(wchar_t* path);
