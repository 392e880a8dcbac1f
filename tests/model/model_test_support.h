// The sample models now live in the shared scaffolding; kept for the PT3 fuzz
// driver until it moves.
#pragma once

#include "support/models.h"

namespace korvel::model::testing {
using korvel::testing::Sample;
using korvel::testing::samplePt3;
}  // namespace korvel::model::testing
