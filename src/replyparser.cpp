#include "replyparser.h"
