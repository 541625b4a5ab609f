#include <LxCameraUtils/IntOrMeas.h>
#include <LxStd/XIni.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Reliability.h"

using lxrel::Bits;
using lxrel::Saved;
using testing::HasSubstr;
using testing::ThrowsMessage;

namespace {

TLxIntOrMeas Loaded(const std::string& text, TLxIntOrMeas into = {}) {
  TLxXIniReader r(text);
  into.LoadE(&r);
  return into;
}

TLxIntOrMeas Measured(TCameraType type, std::vector<std::int32_t> indices) {
  TLxIntOrMeas m;
  m.camera_type = type;
  for (std::int32_t i : indices)
    m.points.push_back({i, {100.25 * i, -0.1 * i}, {0.01 * i, -0.02}});
  m.scan_resolution = {0.0125, 0.015};
  m.resolution_units = ruDpi, m.rotation = cr180, m.transform_type = ttProjective;
  return m;
}

// What a record of `m`'s type keeps through a document.
TLxIntOrMeas Stored(TLxIntOrMeas m) {
  const TCameraType t = m.camera_type;
  if (t < ctPrincipalPoint || t > ctFiducials) m.points.clear();
  if (t != ctFiducials)
    for (auto& p : m.points)
      p.residuals_pix = {};
  if (t != ctPrincipalPoint && t != ctCross) m.scan_resolution = {}, m.resolution_units = ruMm;
  if (t != ctFiducials) m.transform_type = ttAffine;
  return m;
}

}  // namespace

TEST(IntOrDocument, EveryCameraTypeRoundTripsWhatItStoresReplacingTheWholeRecord) {
  for (const TCameraType type :
       {TCameraType{0}, ctPrincipalPoint, ctCross, ctCalibratedCross, ctFiducials, ctDigital}) {
    SCOPED_TRACE(type);
    const TLxIntOrMeas m = Measured(type, {2, 1});
    const std::string text = Saved(m);
    TLxIntOrMeas expected = Stored(m);
    if (!expected.points.empty()) std::swap(expected.points[0], expected.points[1]);
    EXPECT_EQ(Bits(Loaded(text, Measured(ctCross, {7}))), Bits(expected));
  }
  EXPECT_EQ(Bits(Loaded("")), Bits(TLxIntOrMeas()));
}

TEST(IntOrDocument, WritesPointsByIndexKeepingTheOrderOfEqualIndices) {
  TLxIntOrMeas m = Measured(ctFiducials, {3, 1, 2, 1, -5});
  m.points[1].coords_pix.x = 11.0;  // the earlier index 1
  m.points[3].coords_pix.x = 12.0;  // the later one
  const TLxIntOrMeas back = Loaded(Saved(m));
  std::vector<std::pair<std::int32_t, double>> order;
  for (const auto& p : back.points)
    order.emplace_back(p.index, p.coords_pix.x);
  EXPECT_EQ(order, (std::vector<std::pair<std::int32_t, double>>{
                       {-5, -501.25}, {1, 11.0}, {1, 12.0}, {2, 200.5}, {3, 300.75}}));
  EXPECT_EQ(m.points[0].index, 3);  // the record itself is not reordered
}

TEST(IntOrDocument, WritesTheEntriesOfEachTypeInOrder) {
  const auto keys = [](const TLxIntOrMeas& m) {
    TLxXIniReader r(Saved(m));
    std::string names;
    for (std::uint64_t pos = 0; r.HasEntry(pos); ++pos)
      names += std::string(r.NameAt(pos)) + " ";
    return names;
  };
  EXPECT_EQ(keys(Measured(ctPrincipalPoint, {1})),
            "camera_type points rotation scan_resolution resolution_units ");
  EXPECT_EQ(keys(Measured(ctCalibratedCross, {})), "camera_type points rotation ");
  EXPECT_EQ(keys(Measured(ctFiducials, {1})), "camera_type points rotation transform_type ");
  EXPECT_EQ(keys(Measured(ctDigital, {1})), "camera_type rotation ");
  EXPECT_EQ(Saved(TLxIntOrMeas()), "rotation = \"\"\n");
}

TEST(IntOrDocument, LoadsOptionalEntriesWithTheirDefaults) {
  // A resolution counts only with its units; a transform type is taken for any
  // camera type; unknown entries are ignored.
  const TLxIntOrMeas cross = Loaded(
      "camera_type = \"Cross\"\nscan_resolution { x = 5, y = 6 }\n"
      "transform_type = \"Similarity\"\nunknown_entry = 1\n");
  TLxIntOrMeas want;
  want.camera_type = ctCross, want.transform_type = ttSimilarity;
  EXPECT_EQ(Bits(cross), Bits(want));

  const TLxIntOrMeas fid = Loaded(
      "camera_type = \"Fiducials\"\n"
      "points {\n  { index = 4, coords_pix { x = 1, y = 2 }, residuals_pix { x = 0.5 } }\n"
      "  { index = 5, coords_pix { x = 3, y = 4 } }\n}\n");
  ASSERT_EQ(fid.points.size(), 2u);
  EXPECT_EQ(fid.points[0].residuals_pix, (vec_t_<double, 2>{0.5, 0.0}));
  EXPECT_EQ(fid.points[1].residuals_pix, (vec_t_<double, 2>{0.0, 0.0}));
}

TEST(IntOrDocument, FailedLoadsNameTheEntryAndLeaveTheRecordAsItWas) {
  const std::pair<const char*, const char*> bad[] = {
      // text, what the message names
      {"camera_type = \"Cross\"\nrotation = \"45\"\n", "\"rotation\""},
      {"camera_type = \"Cross\"\nresolution_units = \"inch\"\n", "\"resolution_units\""},
      {"transform_type = \"Rigid\"\n", "\"transform_type\""},
      {"camera_type = \"Fiducials\"\npoints {\n  x = 1\n}\n", "points"},
      {"camera_type = \"Fiducials\"\npoints {\n  { coords_pix { x = 1, y = 2 } }\n}\n",
       "\"index\""},
      {"camera_type = \"Fiducials\"\npoints {\n  { index = 1, coords_pix { x = 1 } }\n}\n",
       "\"y\""},
      {"camera_type = \"PrincipalPoint\"\npoints {\n  { index = 1 }\n}\n", "\"coords_pix\""},
  };
  const TLxIntOrMeas before = lxrel::Prefilled<TLxIntOrMeas>();
  for (const auto& [text, names] : bad) {
    SCOPED_TRACE(text);
    TLxIntOrMeas m = before;
    TLxXIniReader r(text);
    EXPECT_THAT([&] { m.LoadE(&r); }, ThrowsMessage<TLxXIniError>(HasSubstr(names)));
    EXPECT_EQ(Bits(m), Bits(before));
  }
}

TEST(IntOrDocument, SavingAFieldWithoutMachineTextRaisesWithItsContext) {
  TLxIntOrMeas pp = Measured(ctPrincipalPoint, {1}), fid = Measured(ctFiducials, {});
  TLxIntOrMeas rot = Measured(ctDigital, {});
  pp.resolution_units = TResolutionUnits{0};
  fid.transform_type = TTransformType{9};
  rot.rotation = TCamRotate{5};
  const struct {
    TLxIntOrMeas m;
    const char *field, *value, *written;  // written: what stays before the failure
  } cases[] = {{Measured(TCameraType{6}, {}), "CameraType", "6", ""},
               {pp, "ResolutionUnits", "0", "scan_resolution"},
               {fid, "TransformType", "9", "rotation"},
               {rot, "Rotate", "5", "camera_type"}};
  for (const auto& c : cases) {
    TLxXIniWriter w;
    EXPECT_THAT([&] { c.m.SaveE(&w); },
                ThrowsMessage<std::runtime_error>(
                    std::string("@TLxIntOrMeas::Save: invalid ") + c.field +
                    "\n@EnumToTextE(): Invalid enum value: " + c.value + "."));
    EXPECT_NE(w.Text().find(c.written), std::string::npos) << w.Text();
  }
}
