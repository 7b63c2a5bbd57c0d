#include "common/object_count.h"

namespace plum {
namespace {

LONG counts[3] = {};

}  // namespace

void CountObject(ObjectKind kind, int delta) {
  InterlockedExchangeAdd(&counts[static_cast<int>(kind)], delta);
}

long ObjectCount(ObjectKind kind) {
  return InterlockedCompareExchange(&counts[static_cast<int>(kind)], 0, 0);
}

}  // namespace plum
