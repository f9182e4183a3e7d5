#pragma once
// A planner that plans nothing, for tests of the order analysis alone.

#include <string>
#include <vector>

#include "orders/order_service.h"

namespace tovix::test {

class NoPlanner final : public IOrderPlanner {
 public:
  void ComputeBuildability() override {}
  void PlanAutomaticCargo(const IOrderLines&, bool, bool) override {}
  void FillDevelopmentLists() override {}
  std::vector<TPlannedTransport> CargoPlan() const override { return {}; }
};

}  // namespace tovix::test
