// Every growth names its place in the log: the source and line of each array
// a resize reallocates, in order, as the growth-failure message gives them.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "audio/bass.h"
#include "core/growth.h"
#include "game/spline.h"
#include "geometry/mesh.h"
#include "geometry/model.h"
#include "support/test_support.h"

namespace {
// "source:line" of the k-th growth of `op` made to fail, for k = 0, 1, ...
// until a run fails nothing; space-separated.
std::string FailureSites(const std::function<void()>& op, const std::string& method) {
  std::string sites;
  for (int k = 0;; ++k) {
    LogCapture log;
    FailGrowthAfter(k);
    op();
    FailGrowthAfter(-1);
    if (log.lines.empty()) return sites;
    const std::string& l = log.lines[0];
    const size_t at = l.find(" at [");
    EXPECT_NE(l.find("][" + method + "]"), std::string::npos) << l;
    sites += (sites.empty() ? "" : " ") + l.substr(at + 5, l.find(']', at) - at - 5);
  }
}
}  // namespace

TEST(GrowthSites, EachResizeNamesItsSourceAndLines) {
  Mesh mesh;
  mesh.Init();
  const auto fresh = [&mesh] {
    mesh.Clear();
    mesh.Init();
  };
  EXPECT_EQ(FailureSites([&] { fresh(), mesh.resizeV(4, true); }, "Mesh::resizeV"),
            "inc\\Mesh:105 inc\\Mesh:105 inc\\Mesh:105 inc\\Mesh:105 inc\\Mesh:105 "
            "inc\\Mesh:106 inc\\Mesh:106");
  EXPECT_EQ(FailureSites([&] { fresh(), mesh.resizeF(2, true); }, "Mesh::resizeF"),
            "inc\\Mesh:113 inc\\Mesh:113 inc\\Mesh:113");
  fresh();
  mesh.resizeV(3, true);
  EXPECT_EQ(FailureSites([&] { mesh.resizeB(2, true); }, "Mesh::resizeB"),
            "inc\\Mesh:118 inc\\Mesh:118 inc\\Mesh:118 inc\\Mesh:119 inc\\Mesh:119 "
            "inc\\Mesh:119 inc\\Mesh:120");
  Model model;
  model.Reset();
  model.Assign(&mesh);
  EXPECT_EQ(FailureSites([&] { model.InitSkelet(); }, "Model::InitSkelet"),
            "inc\\Model:131 inc\\Model:131 inc\\Model:131 inc\\Model:132 inc\\Model:132 "
            "inc\\Model:133 inc\\Model:133");
  model.Release();
  mesh.Clear();

  CSpline set;
  EXPECT_EQ(FailureSites([&] { set.Clear(), set.Resize(2, -1); }, "CSpline::Resize"),
            "inc\\Spline:37 inc\\Spline:38 inc\\Spline:39 inc\\Spline:40 inc\\Spline:41 "
            "inc\\Spline:42 inc\\Spline:43 inc\\Spline:44 inc\\Spline:45");
  CBASS sounds;
  EXPECT_EQ(FailureSites([&] { sounds.Release(), sounds.resize(3); }, "CBASS::resize"),
            "..\\inc\\bass\\bass:42 ..\\inc\\bass\\bass:46");
  sounds.Release();
}
