#include "Varnet01.h"
#include <gtest/gtest.h>
TEST(Smoke, Version){ EXPECT_STREQ("1.95 (08.08.2006)", fGetDLLVersion()); }
