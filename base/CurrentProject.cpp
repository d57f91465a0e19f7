#include "CurrentProject.h"

char CurrentPrj = 0;
