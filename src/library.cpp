// InitDevice and CleanupDevice: the two exports that span every module. Each
// module contributes its own steps; this file only puts them in order.
#include "Korvelv0.h"
