#include <gtest/gtest.h>
#include "core/server_table.h"
TEST(Smoke, Builds) { lantervo::ServerTable t; t.CreateList(); EXPECT_EQ(t.RowCount(), 0); }
