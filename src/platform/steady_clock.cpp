#include "platform/steady_clock.h"
