#include "integration/file_types.h"

const FileTypeRow FileTypeTable[kFileTypeRowCount] = {};
