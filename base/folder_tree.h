// Creating a folder with all its missing parents.
#pragma once

// Rewrites path (520 characters): blanks trimmed, final backslash. 1 when the folder exists.
int CreateFolderTree(wchar_t* path);

// Makes the last level of a folder tree when it is missing (the path has no final
// backslash); true when it was made.
class FolderMaker {
 public:
  virtual bool Make(const wchar_t* path) = 0;

 protected:
  ~FolderMaker() = default;
};

// The same, but a missing last level is made by makeLast, which chooses how (with which
// security, opened how); the parents are made as above.
int CreateFolderTree(wchar_t* path, FolderMaker& makeLast);
