#include "views/route_rows.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/text/str_utils.h"

namespace tovix {
namespace {

using Lines = std::vector<std::string>;

class RouteRowsTest : public testing::Test {
 protected:
  TPlanet* Planet(const std::string& name) {
    return state.AddPlanet(LowerCase(name), std::make_unique<TPlanet>(name), 0);
  }
  TRoute* Route(TPlanet* origin) {
    auto route = std::make_unique<TRoute>(origin);
    TRoute* r = route.get();
    state.Routes.AddObject(LowerCase(origin->Name), std::move(route));
    return r;
  }
  GameState state;
};

TEST_F(RouteRowsTest, RowsSkipEmptyRoutesAndUseTheOrdersDestinations) {
  TPlanet* alpha = Planet("Alpha");
  TPlanet* beta = Planet("Beta");
  TPlanet* gamma = Planet("Gamma");
  Route(alpha)->Emp = beta;
  TRoute* full = Route(beta);
  full->Cap = alpha;
  full->Col = gamma;
  full->Mat = alpha;
  full->ReportEmp = gamma;  // removed by the orders: not shown
  Route(gamma);             // no destination at all

  std::vector<TRouteRow> rows = RouteRows(state);
  ASSERT_EQ(rows.size(), 2u);
  std::sort(rows.begin(), rows.end(),
            [](const TRouteRow& a, const TRouteRow& b) { return a.Cells[0] < b.Cells[0]; });
  EXPECT_EQ(rows[0].Cells, (std::array<std::string, 5>{"Alpha", "", "", "", "Beta"}));
  EXPECT_EQ(rows[1].Cells, (std::array<std::string, 5>{"Beta", "Alpha", "Gamma", "Alpha", ""}));
  EXPECT_EQ(rows[1].Planets[2], gamma);

  // An empty-ship route only: one line with the origin and "EMP", and the row goes.
  TRouteTable table({rows[0]});
  EXPECT_EQ(table.DeleteRoute(0, 1), Lines{}) << "an empty cell writes nothing";
  EXPECT_EQ(table.DeleteRoute(0, 4), Lines{"R Alpha EMP"});
  EXPECT_TRUE(table.Rows().empty());
}

TRouteRow Row(const std::string& origin, std::array<std::string, 4> dest) {
  TRouteRow row;
  row.Cells = {origin, dest[0], dest[1], dest[2], dest[3]};
  return row;
}

TEST_F(RouteRowsTest, DeletingRowsWritesOneLinePerDestinationInColumnOrder) {
  const std::vector<TRouteRow> three{Row("A", {"X", "", "Y", ""}), Row("B", {"", "X", "", "Z"}),
                                     Row("C", {"Y", "Z", "", ""})};
  TRouteTable all(three);
  EXPECT_EQ(all.DeleteAllRoutes(),
            (Lines{"R A CAP", "R A MAT", "R B COL", "R B EMP", "R C CAP", "R C COL"}));
  EXPECT_TRUE(all.Rows().empty());
}

}  // namespace
}  // namespace tovix
