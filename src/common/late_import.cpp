#include "common/late_import.h"

namespace plum {

constinit LateFunctions late;

}  // namespace plum
