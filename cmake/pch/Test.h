// GoogleTest, for test programs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
