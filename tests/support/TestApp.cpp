#include "tests/support/TestApp.h"
