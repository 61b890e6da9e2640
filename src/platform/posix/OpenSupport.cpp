#include "platform/OpenSupport.h"
