#include <gtest/gtest.h>

#include "support.h"
