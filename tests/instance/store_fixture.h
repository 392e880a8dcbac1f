#pragma once

// A fixture that empties the model store and the instance table after each
// test.

#include <gtest/gtest.h>

#include "instance/test_models.h"

namespace korvel::testing {

class StoreTest : public ::testing::Test {
protected:
    void TearDown() override { clearStore(); }
    // Installs the blueprint and returns the model.
    model::Obj3dModel& install(const ModelBlueprint& blueprint) {
        return *model::completeModel(installModel(blueprint));
    }
};

}  // namespace korvel::testing
