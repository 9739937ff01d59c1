// A GoogleTest environment for a test program of the Linux editor: one
// private Xvfb display for all its tests, started before the first and
// stopped after the last. Include it in one file of the program and register
// it there: ::testing::AddGlobalTestEnvironment(new PrivateDisplay).
#pragma once
#include <gtest/gtest.h>

#include "tests/support/x11/x11_test_env.h"

class PrivateDisplay : public ::testing::Environment {
  public:
    void SetUp() override { ASSERT_TRUE(start_private_display(&server_)); }
    void TearDown() override { stop_private_display(server_); }

  private:
    pid_t server_ = 0;
};
