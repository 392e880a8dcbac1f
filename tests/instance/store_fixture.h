#pragma once

// A fixture that empties the model store and the instance table after each
// test.

#include <gtest/gtest.h>

#include "instance/test_models.h"

namespace korvel::testing {

class StoreTest : public ::testing::Test {
protected:
    void TearDown() override { clearStore(); }
};

}  // namespace korvel::testing
