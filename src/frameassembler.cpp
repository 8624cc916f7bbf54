#include "frameassembler.h"
