#pragma once
// The former name of files/mapped_log_file.h, for code not yet moved over (fuzz/).
#include "files/mapped_log_file.h"
