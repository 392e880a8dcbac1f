// The library's camera and screen size, as the conversions read them.
#pragma once

#include "query/projection.h"

namespace korvel::query {

ScreenCamera currentScreenCamera();

}  // namespace korvel::query
